// The Windows service control manager, and the status block and event a service reports through.
#include <windows.h>

#include "platform/os/processes.h"

namespace kelnl::os {
namespace {

constexpr DWORD kReportBytes = 3 * sizeof(std::uint32_t);

bool Fail(std::uint32_t* error) {
  *error = GetLastError();
  return false;
}

}  // namespace

bool OpenServiceManager(void** manager, std::uint32_t* error) {
  SC_HANDLE opened = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (opened == nullptr) return Fail(error);
  *manager = opened;
  return true;
}

void CloseServiceManager(void* manager) { CloseServiceHandle(static_cast<SC_HANDLE>(manager)); }

bool OpenManagedService(void* manager, const char* name, void** service, std::uint32_t* error) {
  SC_HANDLE opened = OpenServiceA(static_cast<SC_HANDLE>(manager), name, SERVICE_ALL_ACCESS);
  if (opened == nullptr) return Fail(error);
  *service = opened;
  return true;
}

bool CreateManagedService(void* manager, const char* name, const char* image_path, void** service,
                          std::uint32_t* error) {
  SC_HANDLE created = CreateServiceA(static_cast<SC_HANDLE>(manager), name, name, SERVICE_ALL_ACCESS,
                                     SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                     image_path, nullptr, nullptr, nullptr, nullptr, nullptr);
  if (created == nullptr) return Fail(error);
  *service = created;
  return true;
}

bool StartManagedService(void* service, int argc, const char** argv, std::uint32_t* error) {
  if (!StartServiceA(static_cast<SC_HANDLE>(service), static_cast<DWORD>(argc), argv)) return Fail(error);
  return true;
}

bool QueryManagedService(void* service, ServiceStatus* status, std::uint32_t* error) {
  SERVICE_STATUS native{};
  if (!QueryServiceStatus(static_cast<SC_HANDLE>(service), &native)) return Fail(error);
  *status = ServiceStatus{native.dwCurrentState, native.dwCheckPoint, native.dwWaitHint};
  return true;
}

void CloseManagedService(void* service) { CloseServiceHandle(static_cast<SC_HANDLE>(service)); }

bool CreateServiceReport(const char* block_name, const char* event_name, ServiceReport* report,
                         std::uint32_t* error) {
  *report = ServiceReport{};
  report->event = CreateEventA(nullptr, TRUE, FALSE, event_name);
  if (report->event == nullptr) return Fail(error);
  report->mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kReportBytes, block_name);
  if (report->mapping != nullptr) {
    report->words = static_cast<volatile std::uint32_t*>(
        MapViewOfFile(report->mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
  }
  if (report->words == nullptr) {
    *error = GetLastError();
    CloseServiceReport(report);
    return false;
  }
  return true;
}

// A service that never sets its event leaves the caller waiting: the manager tells nothing of a
// service process that ended.
bool WaitForServiceReport(ServiceReport* report, void*, const char*) {
  return WaitForSingleObject(report->event, INFINITE) == WAIT_OBJECT_0;
}

void CloseServiceReport(ServiceReport* report) {
  if (report->words != nullptr) UnmapViewOfFile(const_cast<std::uint32_t*>(report->words));
  if (report->mapping != nullptr) CloseHandle(report->mapping);
  if (report->event != nullptr) CloseHandle(report->event);
  *report = ServiceReport{};
}

}  // namespace kelnl::os
