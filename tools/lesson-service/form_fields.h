// Decoding of application/x-www-form-urlencoded bodies, as the lesson service receives them.
#pragma once

#include <map>
#include <string>

// Every name=value pair in the order sent, a repeated name kept each time. "+" is a blank
// and %XX a byte; a malformed escape is kept as it was, since the service must answer
// whatever a client sends.
using FormFields = std::multimap<std::string, std::string>;

FormFields DecodeForm(const std::string& body);
std::string PercentDecode(const std::string& text);

// The first value given for the name, or empty.
std::string FieldOf(const FormFields& fields, const std::string& name);
