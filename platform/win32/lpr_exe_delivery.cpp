// Raw jobs on Windows: the LPR client lpr.exe that lies in the job directory is started with
// "-S ADDRESS -P QUEUE FILE" and must end, successfully, within the job's time limit.
#include <windows.h>

#include "platform/escpos_socket.h"
#include "platform/raw_delivery.h"
#include "platform/system_error.h"

namespace kestrane {

namespace {

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

}  // namespace

RawResult deliverRawFile(const std::string& jobDirectory, const std::string& address,
                         const std::string& queue, const std::string& streamFilePath,
                         const RawLimits& limits) {
    // The program is named separately, so a blank in the directory cannot make it another one;
    // every argument is quoted, and the caller has refused addresses with blanks or controls.
    const std::string program = jobDirectory + "lpr.exe";
    std::string commandLine =
        quoted(program) + " -S " + quoted(address) + " -P " + queue + " " + quoted(streamFilePath);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
        return {false, systemErrorText(lastSystemError()), {}};
    }
    RawResult result;
    const auto limit = static_cast<DWORD>(limits.job.count());
    if (WaitForSingleObject(process.hProcess, limit) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
        result.error = "lpr.exe did not deliver the job within " +
                       std::to_string(limits.job.count() / 1000) + " seconds";
    } else {
        DWORD code = 1;
        GetExitCodeProcess(process.hProcess, &code);
        result.delivered = code == 0;
        if (!result.delivered) {
            result.error = "lpr.exe could not deliver the job to " + address + " (exit code " +
                           std::to_string(code) + ")";
        }
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return result;
}

RawResult deliverRawBytes(const std::string& address, const std::string&, const std::string&, const std::string&,
                          const RawLimits&) {
    return {false, "Raster and native QR receipts for the printer at " + address +
                       " cannot be sent by LPD from the Windows build yet (lpr.exe takes text stream files)", {}};
}

RawResult printOnDevice(const std::string& path, const std::string&, const RawLimits&) {
    return {false, "Printers on device files (" + path + ") cannot be reached from the Windows build yet", {}};
}

RawResult printOnSocket(const PrinterAddress& address, const std::string&, const RawLimits&) {
    return {false, "Printers on raw TCP (socket://" + describePrinterAddress(address) +
                       ") cannot be reached from the Windows build yet", {}};
}

}  // namespace kestrane
