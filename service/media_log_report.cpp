#include "service/media_log_report.h"

#include <windows.h>

#include <cstdio>
#include <thread>

#include "service/api_address.h"
#include "service/base_query.h"
#include "service/data_holder.h"
#include "service/http_post.h"
#include "service/reply_envelope.h"

namespace {

std::string DecimalText(int32_t value) {
  char text[260];
  std::snprintf(text, sizeof text, "%d", value);
  return text;
}

}  // namespace

void StartMediaLogReport(int32_t target_uid, const std::string& action, DataHolder& holder) {
  WorkerGate::Ticket ticket(holder.worker_gate());
  std::thread(MediaLogWorker, DecimalText(target_uid), action, &holder, std::move(ticket)).detach();
}

std::string MediaLogParameters(DataHolder& holder, const std::string& target_uid_text,
                               const std::string& action) {
  const LessonRecord& lesson = holder.lesson();
  return FormParameter("meeting_id", lesson.meeting_id) +
         FormParameter("target_uid", target_uid_text) +
         FormParameter("upload_uid", DecimalText(lesson.uid)) + FormParameter("action", action);
}

void MediaLogWorker(std::string target_uid_text, std::string action, DataHolder* holder,
                    WorkerGate::Ticket ticket) {
  WorkerGate& gate = ticket.gate();
  std::string form;
  {
    WorkerGate::Pass pass = gate.Enter();
    if (!pass) return;
    form = BuildBaseQuery(*holder) + MediaLogParameters(*holder, target_uid_text, action);
  }
  bool accepted = false;
  try {
    accepted = IsAcceptedReply(
        HttpPost(ApiUrl(request_path::kMediaLog), form, ApiTransferLimits(), &gate.closed_flag()));
  } catch (const std::exception&) {
    accepted = false;
  }
  OutputDebugStringW(accepted ? L"上报成功" : L"上报失败");
}
