#include "autoarchive/RunSummary.h"

#include <ctime>

#include "framework/Text.h"

namespace tb {

namespace {

// More types than this are cut short with "...".
constexpr size_t kTypesNamed = 6;

std::string TypeList(const std::vector<std::string>& types) {
    std::string list;
    for (size_t i = 0; i < types.size() && i < kTypesNamed; ++i) list += (i ? ", " : "") + types[i];
    if (types.size() > kTypesNamed) list += ", ...";
    return list;
}

const char* TriggerName(ArchiveTrigger trigger) {
    switch (trigger) {
    case ArchiveTrigger::Schedule: return "Timed";
    case ArchiveTrigger::Shutdown: return "Shut down";
    case ArchiveTrigger::Command: break;
    }
    return "Archive Now";
}

// The files the run did not take, one clause for each reason.
std::vector<std::string> LeftOutClauses(const RunSummary& s) {
    std::vector<std::string> clauses;
    if (s.untyped > 0) {
        if (s.noTypesChosen)
            clauses.push_back(CountOf(s.untyped, "changed file waits", "changed files wait") +
                              " until file types are chosen in Archive Settings (" + TypeList(s.untypedTypes) + ")");
        else
            clauses.push_back(CountOf(s.untyped, "changed file was", "changed files were") + " left out: " +
                              (s.untypedTypes.size() == 1 ? "type" : "types") + " not in the list (" +
                              TypeList(s.untypedTypes) + ")");
    }
    if (s.excluded > 0)
        clauses.push_back(CountOf(s.excluded, "file was", "files were") +
                          " left out by the exclusions or the size limit");
    if (s.inUse > 0)
        clauses.push_back(CountOf(s.inUse, "file was in use and waits", "files were in use and wait") +
                          " for the next archive");
    return clauses;
}

std::string Joined(const std::string& head, const std::vector<std::string>& clauses) {
    std::string line = head;
    for (const std::string& clause : clauses) line += (line.empty() ? "" : "; ") + clause;
    return line;
}

}  // namespace

std::string CountOf(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string RunStatusLine(const RunSummary& s) {
    const std::vector<std::string> leftOut = LeftOutClauses(s);
    const int waiting = s.taken + s.inUse;  // what the run meant to write
    if (s.stopped)
        return "The archive was stopped: " + CountOf(waiting, "changed file waits", "changed files wait") +
               " for the next archive";
    if (s.failed && s.archive.empty())
        return "The archive could not be written: " + s.failure + "; " +
               CountOf(waiting, "changed file waits", "changed files wait") + " for the next archive";
    if (s.reset) return "The pending list was reset: the files listed will not be archived";
    if (s.postponed) return "The archive was put off: the changed files wait for the next archive";
    if (s.archive.empty()) {
        if (leftOut.empty()) return "Nothing to archive";
        return "Nothing archived: " + Joined("", leftOut);
    }
    std::string head = CountOf(s.taken, "file", "files") + " archived in " + s.archive;
    if (s.failed) head += " (" + s.failure + ")";
    return Joined(head, leftOut);
}

std::string RunLogLine(const RunSummary& s) {
    std::string stamp = "(no time)";
    if (const std::tm* local = std::localtime(&s.when)) {
        char text[32] = {};
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local);
        stamp = text;
    }
    return stamp + "  " + TriggerName(s.trigger) + "  " + RunStatusLine(s);
}

bool RunNeedsAttention(const RunSummary& s) { return s.stopped || s.failed || (s.noTypesChosen && s.untyped > 0); }

}  // namespace tb
