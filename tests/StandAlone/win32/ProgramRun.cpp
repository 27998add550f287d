// The program as a Windows process: its standard output and error handed over as files (so it
// keeps them rather than looking for a console), the test's environment and the additions in a
// block of its own.

#include "tests/StandAlone/ProgramRun.h"

#include <windows.h>

#include <stdexcept>

namespace rimba::test {

namespace {

std::wstring wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
    return result;
}

// Quoted as the C runtime splits a command line: no argument of these tests holds a quote.
std::wstring commandLine(const std::string& program, const std::vector<std::string>& arguments) {
    std::wstring line = L"\"" + wide(program) + L"\"";
    for (const std::string& argument : arguments)
        line += L" \"" + wide(argument) + L"\"";
    return line;
}

// The test's own variables with `additions` over them, as CreateProcessW takes them: each
// "NAME=value" ended by a zero, the block by one more.
std::wstring environmentBlock(const std::map<std::string, std::string>& additions) {
    std::map<std::wstring, std::wstring> variables;
    wchar_t* own = GetEnvironmentStringsW();
    for (const wchar_t* entry = own; *entry != 0; entry += wcslen(entry) + 1) {
        const std::wstring text(entry);
        const std::size_t equals = text.find(L'=', 1);  // "=C:=C:\..." entries start with one
        if (equals != std::wstring::npos)
            variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    FreeEnvironmentStringsW(own);
    for (const auto& [name, value] : additions)
        variables[wide(name)] = wide(value);
    std::wstring block;
    for (const auto& [name, value] : variables)
        block += name + L"=" + value + L'\0';
    block += L'\0';
    return block;
}

HANDLE inheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ProgramRun::ProgramRun(const std::string& home, const std::map<std::string, std::string>& environment,
                       const std::vector<std::string>& arguments, const std::string& program)
    : errorFile(home + "/program-stderr.txt"), outputFile(home + "/program-stdout.txt") {
    const HANDLE error = inheritableFile(errorFile);
    const HANDLE output = inheritableFile(outputFile);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = output;
    startup.hStdError = error;
    std::wstring line = commandLine(program, arguments);
    std::wstring block = environmentBlock(environment);
    PROCESS_INFORMATION started{};
    const BOOL made = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                                     block.data(), nullptr, &startup, &started);
    CloseHandle(error);
    CloseHandle(output);
    if (!made)
        throw std::runtime_error("the program did not start");
    CloseHandle(started.hThread);
    process = started.hProcess;
    id = started.dwProcessId;
}

ProgramRun::ProgramRun(InTheConsole, const std::map<std::string, std::string>& environment,
                       const std::string& program) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;  // all three none
    std::wstring line = commandLine(program, {});
    std::wstring block = environmentBlock(environment);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, block.data(),
                        nullptr, &startup, &started))
        throw std::runtime_error("the program did not start");
    CloseHandle(started.hThread);
    process = started.hProcess;
    id = started.dwProcessId;
}

void ProgramRun::sendCtrlC() {
    // To every process of the console: the test's own ignores it meanwhile.
    SetConsoleCtrlHandler(nullptr, TRUE);
    GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
}

ProgramRun::~ProgramRun() {
    if (process == nullptr)
        return;
    if (!status) {
        TerminateProcess(process, 255);
        WaitForSingleObject(process, INFINITE);
    }
    CloseHandle(process);
}

std::optional<int> ProgramRun::waitForExit(int milliseconds) {
    if (!status && WaitForSingleObject(process, static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process, &code);
        status = static_cast<int>(code);
    }
    return status;
}

}  // namespace rimba::test
