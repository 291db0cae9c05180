// The current directory's write lock on Windows: a named mutex whose name
// is the directory's identity (volume serial number and file index), so that
// every name of one directory (case, 8.3 names, links) maps to one lock. The
// system releases it with the process however it ends; a holder that died
// leaves it abandoned, and the next waiter takes it.
#include "platform/directory_lock.h"

#include "platform/windows/wide_names.h"

#include <string>

namespace platform {

bool lock_current_directory()
{
    // Kept for the rest of the run: closing it would drop the lock.
    static HANDLE held = nullptr;
    if (held != nullptr)
        return true;
    HANDLE directory = windows::open_for_query(L".");
    if (directory == INVALID_HANDLE_VALUE)
        return false;
    windows::FileIdentity identity;
    bool known = windows::identify(directory, identity);
    CloseHandle(directory);
    if (!known)
        return false;
    std::wstring name = L"Local\\lzstools-directory-" + std::to_wstring(identity.volume) + L"-" +
                        std::to_wstring(identity.index_high) + L"-" + std::to_wstring(identity.index_low);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    if (mutex == nullptr)
        return false;
    DWORD waited = WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return false;
    }
    held = mutex;
    return true;
}

}  // namespace platform
