// The configuration request, once per run: the media application id and the update notice.
// Whatever its outcome, the worker writes the holder's application id, the video profile 55
// and the update notice, then posts UM_CONFIG_DONE (6024) to the main window.
#pragma once

#include "service/config_reply.h"
#include "service/worker_gate.h"

class DataHolder;

// Starts the worker for the process's holder on a thread of its own and returns at once.
void StartConfigRequest();
void StartConfigRequest(DataHolder& holder);

// The thread procedure. The ticket, taken by the starter, counts it as running.
void ConfigWorker(DataHolder* holder, WorkerGate::Ticket ticket);

// Writes the result: app id, profile 55, then the update notice (its text converted to the
// system ANSI code page).
void ApplyConfigResult(DataHolder& holder, const ConfigResult& result);

// The profile every configuration outcome sets; a login reply may change it.
constexpr int kConfiguredVideoProfile = 55;
