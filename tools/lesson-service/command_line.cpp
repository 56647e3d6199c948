#include "tools/lesson-service/command_line.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <set>

#include "tools/lesson-service/lesson_server.h"
#include "tools/lesson-service/media_room.h"
#include "tools/lesson-service/serve_until_signalled.h"

namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  quorvel-lesson-service serve --db FILE --port PORT [--host 127.0.0.1]"
    " [--fault PATH=KIND]...\n"
    "      [--media-server URL... --media-admin-key KEY]\n"
    "  quorvel-lesson-service create-lesson --db FILE [--start-in SECONDS] [--duration SECONDS]\n"
    "      [--countdown SECONDS] [--forceclose SECONDS] [--screen-sharing] [--recording]\n"
    "  quorvel-lesson-service set-config --db FILE [--app-id ID] [--new-version V --update 0|1|2\n"
    "      --update-message TEXT --update-url URL]\n"
    "  quorvel-lesson-service reports --db FILE\n"
    "  quorvel-lesson-service requests --db FILE\n"
    "KIND: delay:MS, stall, status:N, garbage, mistyped, huge, redirect,\n"
    "      redirect-loop, redirect-to:ADDRESS, trickle, cut, code:N, body:TEXT\n";

// Options of one command: each named option with its values, in the order given.
struct Options {
  std::map<std::string, std::vector<std::string>> values;
  std::set<std::string> flags;

  std::optional<std::string> Value(const std::string& name) const {
    auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second.back();
  }
};

std::optional<std::string> ParseOptions(const std::vector<std::string>& arguments,
                                        const std::set<std::string>& with_value,
                                        const std::set<std::string>& flags, Options& options) {
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (with_value.count(name)) {
      if (i + 1 == arguments.size()) return name + " needs a value";
      options.values[name].push_back(arguments[++i]);
    } else if (flags.count(name)) {
      options.flags.insert(name);
    } else {
      return "unknown option " + name;
    }
  }
  if (!options.Value("--db")) return "--db FILE is required";
  return std::nullopt;
}

std::optional<long long> ParseInteger(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0') return std::nullopt;
  return value;
}

std::string OneLine(const Json::Value& value) {
  Json::StreamWriterBuilder writer;
  writer["indentation"] = "";
  writer["emitUTF8"] = true;
  return Json::writeString(writer, value);
}

class Command {
 public:
  Command(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

  int Fail(const std::string& reason) {
    err_ << "quorvel-lesson-service: " << reason << "\n" << kUsage;
    return 2;
  }

  // Opens the store named by --db; null (with the reason reported) when it cannot.
  std::unique_ptr<LessonStore> OpenStore(const Options& options) {
    auto opened = LessonStore::Open(*options.Value("--db"));
    if (auto* reason = std::get_if<std::string>(&opened)) {
      err_ << "quorvel-lesson-service: " << *reason << "\n";
      return nullptr;
    }
    return std::move(std::get<std::unique_ptr<LessonStore>>(opened));
  }

  int Serve(const std::vector<std::string>& arguments) {
    Options options;
    if (auto error = ParseOptions(
            arguments,
            {"--db", "--port", "--host", "--fault", "--media-server", "--media-admin-key"}, {},
            options)) {
      return Fail(*error);
    }
    std::optional<long long> port = ParseInteger(options.Value("--port").value_or(""));
    if (!port || *port < 0 || *port > 65535) return Fail("--port needs a number from 0 to 65535");
    FaultPlan faults;
    auto fault_texts = options.values.find("--fault");
    if (fault_texts != options.values.end()) {
      for (const std::string& given : fault_texts->second) {
        if (auto error = AddFault(faults, given)) return Fail(*error);
      }
    }
    MediaServers media_servers;
    if (auto error = ReadMediaServers(options, media_servers)) return Fail(*error);
    std::unique_ptr<LessonStore> store = OpenStore(options);
    if (!store) return 1;
    std::string host = options.Value("--host").value_or("127.0.0.1");
    LessonServer server(*store, std::move(faults), std::move(media_servers));
    int bound = server.Bind(host, static_cast<int>(*port));
    if (bound < 0) {
      err_ << "quorvel-lesson-service: cannot listen on " << host << ":" << *port << "\n";
      return 1;
    }
    out_ << "listening on http://" << host << ":" << bound << std::endl;

    ServeUntilSignalled(server);
    return 0;
  }

  int CreateLesson(const std::vector<std::string>& arguments) {
    Options options;
    if (auto error = ParseOptions(
            arguments, {"--db", "--start-in", "--duration", "--countdown", "--forceclose"},
            {"--screen-sharing", "--recording"}, options)) {
      return Fail(*error);
    }
    LessonOptions lesson;
    const std::pair<const char*, int64_t*> numbers[] = {{"--start-in", &lesson.start_in},
                                                        {"--duration", &lesson.duration},
                                                        {"--countdown", &lesson.countdown},
                                                        {"--forceclose", &lesson.forceclose}};
    for (const auto& [name, field] : numbers) {
      if (auto text = options.Value(name)) {
        std::optional<long long> value = ParseInteger(*text);
        if (!value) return Fail(std::string(name) + " needs a whole number of seconds");
        if (*value < 0 && std::string(name) != "--start-in") {
          return Fail(std::string(name) + " cannot be negative");
        }
        *field = *value;
      }
    }
    lesson.screen_sharing = options.flags.count("--screen-sharing") > 0;
    lesson.recording = options.flags.count("--recording") > 0;
    std::unique_ptr<LessonStore> store = OpenStore(options);
    if (!store) return 1;
    CreatedLesson created = store->CreateLesson(lesson);
    Json::Value printed(Json::objectValue);
    printed["meeting_id"] = created.lesson.meeting_id;
    printed["channel_name"] = created.lesson.channel_name;
    for (size_t i = 0; i < kRoles.size(); ++i) {
      printed["codes"][RoleName(kRoles[i])] = created.codes[i];
      printed["uids"][RoleName(kRoles[i])] = created.lesson.UidOf(kRoles[i]);
    }
    out_ << OneLine(printed) << "\n";
    return 0;
  }

  int SetConfig(const std::vector<std::string>& arguments) {
    Options options;
    if (auto error = ParseOptions(
            arguments,
            {"--db", "--app-id", "--new-version", "--update", "--update-message", "--update-url"},
            {}, options)) {
      return Fail(*error);
    }
    std::unique_ptr<LessonStore> store = OpenStore(options);
    if (!store) return 1;
    ServiceConfig config = store->Config();
    if (auto text = options.Value("--app-id")) config.app_id = *text;
    if (auto text = options.Value("--new-version")) config.new_version = *text;
    if (auto text = options.Value("--update")) {
      std::optional<long long> mode = ParseInteger(*text);
      if (!mode || *mode < 0 || *mode > 2) return Fail("--update is 0, 1 or 2");
      config.update = static_cast<int32_t>(*mode);
    }
    if (auto text = options.Value("--update-message")) config.update_message = *text;
    if (auto text = options.Value("--update-url")) config.update_url = *text;
    store->SetConfig(config);
    return 0;
  }

  int Reports(const std::vector<std::string>& arguments) {
    return PrintStored(arguments, [](LessonStore& store, const LinePrinter& print) {
      for (const MediaLogReport& report : store.Reports()) {
        Json::Value line(Json::objectValue);
        line["meeting_id"] = report.meeting_id;
        line["target_uid"] = report.target_uid;
        line["upload_uid"] = report.upload_uid;
        line["action"] = report.action;
        line["received_at"] = static_cast<Json::Int64>(report.received_at);
        print(line);
      }
    });
  }

  int Requests(const std::vector<std::string>& arguments) {
    return PrintStored(arguments, [](LessonStore& store, const LinePrinter& print) {
      for (const ReceivedRequest& request : store.Requests()) {
        Json::Value line(Json::objectValue);
        line["path"] = request.path;
        line["body"] = request.body;
        print(line);
      }
    });
  }

 private:
  std::optional<std::string> ReadMediaServers(const Options& options, MediaServers& media_servers) {
    auto urls = options.values.find("--media-server");
    std::optional<std::string> admin_key = options.Value("--media-admin-key");
    if (urls == options.values.end()) {
      if (admin_key) return std::string("--media-admin-key needs --media-server");
      return std::nullopt;
    }
    if (!admin_key || admin_key->empty()) {
      return std::string("--media-server needs --media-admin-key");
    }
    for (const std::string& url : urls->second) {
      auto address = ParseMediaServerUrl(url);
      if (auto* reason = std::get_if<std::string>(&address)) return *reason;
      if (std::count(urls->second.begin(), urls->second.end(), url) > 1) {
        return "--media-server " + url + " is given twice";
      }
    }
    media_servers.urls = urls->second;
    media_servers.admin_key = *admin_key;
    media_servers.log = &err_;
    return std::nullopt;
  }

  using LinePrinter = std::function<void(const Json::Value&)>;

  // A command that only takes --db and prints stored records, one JSON object a line.
  int PrintStored(const std::vector<std::string>& arguments,
                  const std::function<void(LessonStore&, const LinePrinter&)>& print_all) {
    Options options;
    if (auto error = ParseOptions(arguments, {"--db"}, {}, options)) return Fail(*error);
    std::unique_ptr<LessonStore> store = OpenStore(options);
    if (!store) return 1;
    print_all(*store, [this](const Json::Value& line) { out_ << OneLine(line) << "\n"; });
    return 0;
  }

  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace

int RunCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  Command command(out, err);
  if (arguments.empty()) return command.Fail("no command given");
  const std::string& name = arguments[0];
  try {
    if (name == "serve") return command.Serve(arguments);
    if (name == "create-lesson") return command.CreateLesson(arguments);
    if (name == "set-config") return command.SetConfig(arguments);
    if (name == "reports") return command.Reports(arguments);
    if (name == "requests") return command.Requests(arguments);
  } catch (const StoreError& error) {
    err << "quorvel-lesson-service: database error: " << error.what() << "\n";
    return 1;
  }
  return command.Fail("unknown command " + name);
}
