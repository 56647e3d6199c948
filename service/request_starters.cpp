// The request starters as the program calls them, on the process-wide holder. Kept apart
// so that code using only the holder-taking forms (the tests) never needs that instance.
#include "service/config_request.h"
#include "service/data_holder.h"
#include "service/login_request.h"
#include "service/media_log_report.h"

void StartConfigRequest() { StartConfigRequest(TheDataHolder()); }

void StartLogin(const std::string& code) { StartLogin(code, TheDataHolder()); }

void StartMediaLogReport(int32_t target_uid, const std::string& action) {
  StartMediaLogReport(target_uid, action, TheDataHolder());
}
