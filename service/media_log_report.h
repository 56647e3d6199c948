// Fire-and-forget reports that a participant entered or left the media channel. The outcome
// goes to the debugger output only ("上报成功" or "上报失败"); nothing is written or posted.
#pragma once

#include <cstdint>
#include <string>

#include "service/worker_gate.h"

class DataHolder;

// `action` is "enter" or "exit".
void StartMediaLogReport(int32_t target_uid, const std::string& action);
void StartMediaLogReport(int32_t target_uid, const std::string& action, DataHolder& holder);

// The thread procedure. The ticket, taken by the starter, counts it as running.
void MediaLogWorker(std::string target_uid_text, std::string action, DataHolder* holder,
                    WorkerGate::Ticket ticket);

// The report's form after the base query: meeting, target, uploader and action.
std::string MediaLogParameters(DataHolder& holder, const std::string& target_uid_text,
                               const std::string& action);
