#include "app/CrashReporter.h"

#include "wallpaper/TextFiles.h"

#include <cxxabi.h>
#include <execinfo.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <sstream>
#include <typeinfo>

namespace orbiclock {
namespace {

std::string demangle(const char* name)
{
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> text(abi::__cxa_demangle(name, nullptr, nullptr, &status), &std::free);
    return status == 0 && text ? std::string(text.get()) : std::string(name);
}

std::string currentStack()
{
    void* frames[64];
    const int n = ::backtrace(frames, 64);
    std::unique_ptr<char*, decltype(&std::free)> symbols(::backtrace_symbols(frames, n), &std::free);
    std::string out;
    for (int i = 1; symbols && i < n; ++i) {
        out += "  ";
        out += symbols.get()[i];
        out += "\r\n";
    }
    return out;
}

std::string timestamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[64];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S %z", &local);
    return buf;
}

void describe(std::exception_ptr error, std::string& type, std::string& message)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        type = demangle(typeid(e).name());
        message = e.what();
    } catch (...) {
        const std::type_info* t = abi::__cxa_current_exception_type();
        type = t ? demangle(t->name()) : "unknown";
        message = "(no message)";
    }
}

} // namespace

CrashReporter::CrashReporter(std::filesystem::path reportFile, std::string version, std::string runMode)
    : m_file(std::move(reportFile)), m_version(std::move(version)), m_runMode(std::move(runMode))
{
}

std::string CrashReporter::messageOf(std::exception_ptr error) noexcept
{
    try {
        std::string type, message;
        describe(error, type, message);
        return message;
    } catch (...) {
        return "(unknown error)";
    }
}

std::string appendBoundedReport(const std::string& existing, const std::string& report, std::size_t limit)
{
    if (report.size() >= limit)
        return report.substr(0, limit);
    std::string text = existing + report;
    while (text.size() > limit) {
        const std::size_t newStart = text.size() - report.size();
        const auto next = text.find(kReportMarker, 1);
        // Drop the oldest report; text before the first marker (or without markers) goes as one piece.
        text.erase(0, next == std::string::npos || next > newStart ? newStart : next);
    }
    return text;
}

std::string CrashReporter::report(std::exception_ptr error) noexcept
{
    try {
        std::string type, message;
        describe(error, type, message);
        std::ostringstream r;
        r << kReportMarker << "\r\n"
          << "Time: " << timestamp() << "\r\n"
          << "Version: " << m_version << "\r\n"
          << "Run mode: " << m_runMode << "\r\n"
          << "Exception: " << type << "\r\n"
          << "Message: " << message << "\r\n"
          << "Reported from:\r\n"
          << currentStack() << "\r\n";
        const std::string text = r.str();

        std::string existing;
        {
            std::ifstream in(m_file, std::ios::binary);
            if (in)
                existing.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        writeFileAtomically(m_file, appendBoundedReport(existing, text, kMaxFileSize));
        return text;
    } catch (...) {
        return "The error report could not be written";
    }
}

} // namespace orbiclock
