#include "platform/win32/Handles.h"  // windows.h before fci.h

#include <fci.h>
#include <fcntl.h>

#include <cstdlib>
#include <map>
#include <memory>

#include "platform/win32/Wide.h"
#include "platform/win32/Win32PackTools.h"

namespace tyx::win32 {
namespace {

// FCI names files in ANSI; it is given "#n" for the n-th file of `paths`
// instead, so that any Unicode path works.
struct Writer {
  std::vector<std::wstring> paths;
  std::map<INT_PTR, KernelHandle> open;
  INT_PTR next = 1;
  int lastError = 0;

  std::wstring PathOf(const char* name) const {
    size_t index = name[0] == '#' ? std::strtoul(name + 1, nullptr, 10) : paths.size();
    return index < paths.size() ? paths[index] : std::wstring();
  }
  std::string NameOf(std::wstring path) {
    paths.push_back(std::move(path));
    std::string name = "#";
    return name += std::to_string(paths.size() - 1);
  }
};

Writer& Of(void* pv) { return *static_cast<Writer*>(pv); }

HANDLE Handle(INT_PTR hf, void* pv) {
  auto it = Of(pv).open.find(hf);
  return it == Of(pv).open.end() ? INVALID_HANDLE_VALUE : it->second.get();
}

FNFCIALLOC(Alloc) { return std::malloc(cb); }
FNFCIFREE(Free) { std::free(memory); }

FNFCIOPEN(Open) {
  const bool write = oflag & (_O_WRONLY | _O_RDWR);
  const DWORD disposition = !(oflag & _O_CREAT) ? OPEN_EXISTING : (oflag & _O_TRUNC) ? CREATE_ALWAYS : OPEN_ALWAYS;
  KernelHandle file(CreateFileW(Of(pv).PathOf(pszFile).c_str(), GENERIC_READ | (write ? GENERIC_WRITE : 0),
                              FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    *err = Of(pv).lastError = static_cast<int>(GetLastError());
    return -1;
  }
  INT_PTR id = Of(pv).next++;
  Of(pv).open.emplace(id, std::move(file));
  return id;
}

FNFCIREAD(Read) {
  DWORD n = 0;
  if (!ReadFile(Handle(hf, pv), memory, cb, &n, nullptr)) *err = Of(pv).lastError = static_cast<int>(GetLastError());
  return n;
}

FNFCIWRITE(Write) {
  DWORD n = 0;
  if (!WriteFile(Handle(hf, pv), memory, cb, &n, nullptr)) {
    *err = Of(pv).lastError = static_cast<int>(GetLastError());
    return static_cast<UINT>(-1);
  }
  return n;
}

FNFCICLOSE(Close) { return Of(pv).open.erase(hf) ? 0 : -1; }

FNFCISEEK(Seek) {
  DWORD at = SetFilePointer(Handle(hf, pv), dist, nullptr, static_cast<DWORD>(seektype));
  if (at == INVALID_SET_FILE_POINTER) *err = Of(pv).lastError = static_cast<int>(GetLastError());
  return static_cast<long>(at);
}

FNFCIDELETE(Delete) {
  if (DeleteFileW(Of(pv).PathOf(pszFile).c_str())) return 0;
  *err = static_cast<int>(GetLastError());
  return -1;
}

FNFCIGETTEMPFILE(TempFile) {
  wchar_t folder[MAX_PATH + 1], path[MAX_PATH + 1];
  if (!GetTempPathW(MAX_PATH + 1, folder) || !GetTempFileNameW(folder, L"fci", 0, path)) return FALSE;
  DeleteFileW(path);  // FCI makes it itself
  std::string name = Of(pv).NameOf(path);
  if (static_cast<int>(name.size()) >= cbTempName) return FALSE;
  lstrcpynA(pszTempName, name.c_str(), cbTempName);
  return TRUE;
}

FNFCIFILEPLACED(Placed) { return 0; }
FNFCIGETNEXTCABINET(NextCabinet) { return FALSE; }
FNFCISTATUS(Progress) { return 0; }

FNFCIGETOPENINFO(OpenInfo) {
  INT_PTR hf = Open(pszName, _O_RDONLY | _O_BINARY, 0, err, pv);
  if (hf == -1) return -1;
  FILETIME written, local;
  GetFileTime(Handle(hf, pv), nullptr, nullptr, &written);
  FileTimeToLocalFileTime(&written, &local);
  FileTimeToDosDateTime(&local, pdate, ptime);
  *pattribs = _A_ARCH;
  return hf;
}

using Fci = std::unique_ptr<void, BOOL(DIAMONDAPI*)(HFCI)>;

}  // namespace

bool Win32PackTools::WriteCabinet(const std::string& cabinet,
                                  const std::vector<std::pair<std::string, std::string>>& entries,
                                  std::string& error) {
  Writer writer;
  CCAB ccab{};
  ccab.cb = 0x7FFFFFFF;
  ccab.cbFolderThresh = 0x7FFFFFFF;
  ccab.setID = 0x5459;
  lstrcpynA(ccab.szCab, writer.NameOf(Wide(cabinet)).c_str(), sizeof ccab.szCab);
  ERF erf{};
  bool ok = false;
  {
    Fci fci(FCICreate(&erf, Placed, Alloc, Free, Open, Read, Write, Close, Seek, Delete, TempFile, &ccab, &writer),
            FCIDestroy);
    ok = fci != nullptr;
    for (size_t i = 0; ok && i < entries.size(); ++i) {
      std::string source = writer.NameOf(Wide(entries[i].second));
      std::string name = entries[i].first;
      ok = FCIAddFile(fci.get(), source.data(), name.data(), FALSE, NextCabinet, Progress, OpenInfo, tcompTYPE_MSZIP);
    }
    ok = ok && FCIFlushCabinet(fci.get(), FALSE, NextCabinet, Progress);
  }
  if (!ok)
    error = writer.lastError ? SystemErrorText(static_cast<unsigned long>(writer.lastError))
                             : "FCI " + std::to_string(erf.erfOper) + "/" + std::to_string(erf.erfType);
  return ok;
}

}  // namespace tyx::win32
