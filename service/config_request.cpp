#include "service/config_request.h"

#include <windows.h>

#include <thread>

#include "base/app_messages.h"
#include "base/text_conversion.h"
#include "service/api_address.h"
#include "service/base_query.h"
#include "service/data_holder.h"
#include "service/http_post.h"

void StartConfigRequest(DataHolder& holder) {
  WorkerGate::Ticket ticket(holder.worker_gate());
  std::thread(ConfigWorker, &holder, std::move(ticket)).detach();
}

void ConfigWorker(DataHolder* holder, WorkerGate::Ticket ticket) {
  WorkerGate& gate = ticket.gate();
  std::string form;
  {
    WorkerGate::Pass pass = gate.Enter();
    if (!pass) return;
    form = BuildBaseQuery(*holder);
  }
  ConfigResult result;
  try {
    result = ReadConfigReply(
        HttpPost(ApiUrl(request_path::kConfig), form, ApiTransferLimits(), &gate.closed_flag()));
  } catch (const std::exception&) {
    result = ConfigResult{};  // out of memory: the fallbacks still reach the main window
  }
  WorkerGate::Pass pass = gate.Enter();
  if (!pass) return;
  ApplyConfigResult(*holder, result);
  PostMessageW(holder->main_window, UM_CONFIG_DONE, 0, 0);
}

void ApplyConfigResult(DataHolder& holder, const ConfigResult& result) {
  holder.settings().app_id = result.app_id;
  holder.lesson().video_profile = kConfiguredVideoProfile;
  AppInfo& app_info = holder.app_info();
  app_info.new_version = result.new_version;
  app_info.update = result.update;
  app_info.update_message = WideToAnsi(Utf8ToWide(result.update_message));
  app_info.update_url = result.update_url;
}
