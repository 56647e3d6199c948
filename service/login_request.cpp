#include "service/login_request.h"

#include <windows.h>

#include <thread>

#include "base/app_messages.h"
#include "service/api_address.h"
#include "service/base_query.h"
#include "service/data_holder.h"
#include "service/http_post.h"

namespace {

enum LoginStep : WPARAM { kLoginStep = 0, kAccessStep = 1 };

// Posts, reads the reply, and never lets an exception out of the worker.
template <typename Data, typename Reader>
StepOutcome<Data> RunStep(const char* path, const std::string& form, const WorkerGate& gate,
                          bool chinese_ui, Reader read) {
  try {
    return read(HttpPost(ApiUrl(path), form, ApiTransferLimits(), &gate.closed_flag()), chinese_ui);
  } catch (const std::exception&) {
    StepOutcome<Data> failed;
    failed.failure_message =
        chinese_ui ? "请求失败，请重试" : "The request failed, please try again";
    return failed;
  }
}

// A failed step leaves only its text to show; a successful one writes its fields.
template <typename Data, typename Writer>
void ApplyStep(DataHolder& holder, const StepOutcome<Data>& outcome, Writer write) {
  if (!outcome.succeeded()) {
    holder.last_message = outcome.failure_message;
    return;
  }
  write(*outcome.data, holder.lesson());
}

void PostStepResult(const DataHolder& holder, LoginStep step, bool succeeded) {
  PostMessageW(holder.main_window, UM_LOGIN_RESULT, step, succeeded ? 1 : 0);
}

}  // namespace

void StartLogin(const std::string& code, DataHolder& holder) {
  WorkerGate::Ticket ticket(holder.worker_gate());
  std::thread(LoginWorker, code, &holder, std::move(ticket)).detach();
}

void LoginWorker(std::string code, DataHolder* holder, WorkerGate::Ticket ticket) {
  WorkerGate& gate = ticket.gate();
  std::string form;
  bool chinese_ui = false;
  {
    WorkerGate::Pass pass = gate.Enter();
    if (!pass) return;
    holder->lesson().lesson_code = code;
    form = BuildBaseQuery(*holder) + FormParameter("code", code);
    chinese_ui = holder->chinese_ui;
  }
  StepOutcome<LoginData> login =
      RunStep<LoginData>(request_path::kLogin, form, gate, chinese_ui, ReadLoginReply);
  const char* access_path = nullptr;
  {
    WorkerGate::Pass pass = gate.Enter();
    if (!pass) return;
    ApplyLoginOutcome(*holder, login);
    PostStepResult(*holder, kLoginStep, login.succeeded());
    if (!login.succeeded()) return;
    const LessonRecord& lesson = holder->lesson();
    form = BuildBaseQuery(*holder) + FormParameter("token", lesson.token) +
           FormParameter("meeting_id", lesson.meeting_id);
    access_path = AccessPathFor(lesson.role());
  }
  StepOutcome<AccessData> access =
      RunStep<AccessData>(access_path, form, gate, chinese_ui, ReadAccessReply);
  WorkerGate::Pass pass = gate.Enter();
  if (!pass) return;
  ApplyAccessOutcome(*holder, access);
  PostStepResult(*holder, kAccessStep, access.succeeded());
}

void ApplyLoginOutcome(DataHolder& holder, const StepOutcome<LoginData>& outcome) {
  ApplyStep(holder, outcome, [](const LoginData& data, LessonRecord& lesson) {
    lesson.user_type = data.user_type;
    lesson.token = data.token;
    lesson.meeting_id = data.meeting_id;
    if (!data.config) return;
    const LessonMediaConfig& media = *data.config;
    lesson.video_profile = media.video_profile;
    lesson.screen_sharing = media.screen_sharing;
    lesson.recording = media.recording;
    lesson.play_volume = media.play_volume;
    lesson.record_volume = media.record_volume;
    lesson.audio_scenario = media.audio_scenario;
    lesson.audio_profile = media.audio_profile;
  });
}

void ApplyAccessOutcome(DataHolder& holder, const StepOutcome<AccessData>& outcome) {
  ApplyStep(holder, outcome, [](const AccessData& data, LessonRecord& lesson) {
    lesson.signaling_key = data.signaling_key;
    lesson.channel_key = data.channel_key;
    lesson.channel_name = data.channel_name;
    lesson.uid = data.uid;
    lesson.student_id = data.student_id;
    lesson.teacher_id = data.teacher_id;
    lesson.assistant_id = data.assistant_id;
    lesson.play_volume = data.play_volume;
    lesson.record_volume = data.record_volume;
    lesson.start_time = data.start_time;
    lesson.duration = data.duration;
    lesson.countdown = data.countdown;
    lesson.forceclose = data.forceclose;
    lesson.media_server = data.media_server;
  });
}
