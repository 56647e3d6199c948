// Joining a lesson: the login step (lesson code for role, token and lesson id), then the
// access step on the role's path (channel credentials, media uids, lesson times). Each step
// writes the holder's lesson record (or last_message when it fails) and then posts
// UM_LOGIN_RESULT (6025) with wParam 0 or 1 for the step and lParam 1 or 0 for the outcome.
// A failed login step ends the worker: exactly one 6025 then.
#pragma once

#include <string>

#include "service/login_reply.h"
#include "service/worker_gate.h"

class DataHolder;

// `code` is the lesson code in the system ANSI code page; the worker gets its own copy.
void StartLogin(const std::string& code);
void StartLogin(const std::string& code, DataHolder& holder);

// The thread procedure. The ticket, taken by the starter, counts it as running.
void LoginWorker(std::string code, DataHolder* holder, WorkerGate::Ticket ticket);

// Write one step's outcome into the holder: its fields on success, last_message on failure.
void ApplyLoginOutcome(DataHolder& holder, const StepOutcome<LoginData>& outcome);
void ApplyAccessOutcome(DataHolder& holder, const StepOutcome<AccessData>& outcome);
