// ArveloSession.cpp: starting programs and arvelo in the session, and describing frames.
#include "ArveloSession.h"

namespace e2e {

ChildProcess& ArveloSession::start(const std::string& program, const std::vector<std::string>& arguments,
                                   const std::map<std::string, std::string>& environment, const std::string& logFile) {
    programs_.push_back(std::make_unique<ChildProcess>(program, arguments, environment, logFile));
    return *programs_.back();
}

ChildProcess& ArveloSession::runArvelo(const std::vector<std::string>& arguments, const std::string& log,
                                       const std::map<std::string, std::string>& extraEnvironment) {
    auto environment = home.environment();
    for (const auto& [name, value] : extraEnvironment) environment[name] = value;
    return start(environmentValue("ARVELO"), arguments, environment, home.path(log).string());
}

std::string ArveloSession::describe(const Frames& frames) const {
    std::string text;
    for (const auto& [window, frame] : frames) text += std::to_string(window) + " " + frame.text() + "\n";
    return text + "arvelo log:\n" + home.read("arvelo.log");
}

}  // namespace e2e
