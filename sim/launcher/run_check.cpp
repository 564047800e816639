#include "run_check.h"

#include "board_options.h"
#include "check_recording.h"

#include <iostream>

namespace velkor_sim {

namespace {

constexpr int kAgree = 0;
constexpr int kDiffer = 1;
constexpr int kUnreadable = 2;

std::string joined(const std::vector<std::string> &names, const char *separator)
{
    std::string text;
    for (const std::string &name : names)
        text += (text.empty() ? "" : separator) + name;
    return text;
}

// "IOCTL_GET_VERSION_INFO minor, irq; DMA block status word, data words", or "none".
std::string listed(const std::vector<check::FieldGroup> &groups)
{
    std::vector<std::string> parts;
    for (const check::FieldGroup &group : groups)
        parts.push_back(group.owner + " " + joined(group.fields, ", "));
    return parts.empty() ? "none" : joined(parts, "; ");
}

std::string counted(std::size_t count, const char *one, const char *many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

void print(const check::CheckReport &report)
{
    for (const std::string &difference : report.differences)
        std::cout << difference << "\n";
    const std::string commands = counted(report.commands, "command", "commands");
    if (report.differences.empty())
        std::cout << "no differences in " << commands << "\n";
    else
        std::cout << counted(report.differences.size(), "difference", "differences") << " in "
                  << commands << "\n";
    std::cout << "compared by kind, as they depend on time: " << listed(report.comparedByKind)
              << "\n";
    if (!report.notCompared.empty())
        std::cout << "not compared, as they are the machine's own: " << listed(report.notCompared)
                  << "\n";
}

} // namespace

int runCheck(const Options &options)
{
    std::vector<recording::Event> events;
    try {
        events = recording::readRecording(options.check);
    } catch (const recording::FormatError &error) {
        const std::string where =
            error.line ? options.check + ":" + std::to_string(error.line) : options.check;
        std::cerr << "velkor-sim: " << where << ": " << error.what() << "\n";
        return kUnreadable;
    }
    const check::CheckSettings settings{
        options.boards, [&options](Board &board) { applyOptions(board, options); }};
    const check::CheckReport report = check::checkRecording(events, settings);
    print(report);
    return report.differences.empty() ? kAgree : kDiffer;
}

} // namespace velkor_sim
