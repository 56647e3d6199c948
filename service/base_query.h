// The parameter string every lesson service request starts with, and the form encoding of
// the parameters requests add to it.
#pragma once

#include <string>

class DataHolder;

// "ver=0.9.0&app=win&lan=" + the holder's language ("cn" or "us") + "&business=quorv".
std::string BuildBaseQuery(DataHolder& holder);

// application/x-www-form-urlencoded: letters, digits and "-._~" stay, every other byte
// becomes %XX. Without it a value holding "&" or "=" would smuggle in parameters of its own.
std::string FormEncode(const std::string& value);

// "&" + name + "=" + the encoded value.
std::string FormParameter(const char* name, const std::string& value);
