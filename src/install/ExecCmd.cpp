#include "install/ExecCmd.h"

namespace tyx {
namespace {

constexpr uint32_t kStillActive = 259;

const char* ShellErrorPrefix(uint32_t code) {
  switch (code) {
    case 2: return "Soubor nebyl nalezen: ";
    case 3: return "Cesta k souboru nebyla nalezena: ";
    case 5: return "Přístup zakázán: ";
    case 8: return "Nedostatek paměti";
    case 11: return "Chybný soubor nebo obraz souboru EXE";
    case 26: return "Narušeno sdílení: ";
    case 27: return "Neúplné (chybné) přiřazení souboru: ";
    case 28: return "Vypršel časový interval DDE";
    case 29: return "Chybná DDE transakce";
    case 30: return "DDE je zaneprázdněno";
    case 31: return "Souboru není přiřazena žádná aplikace: ";
    case 32: return "Knihovna DLL nebyla nalezena";
    default: return "Nepředvídaná chyba při otevírání souboru: ";
  }
}

}  // namespace

std::string ShellErrorText(uint32_t code, const std::string& file) {
  std::string text = ShellErrorPrefix(code);
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, ": ") == 0) text += file;
  return text;
}

uint32_t ExecCmd::ShellExec(const std::string& file, bool wait, const std::string& parameters) {
  // An elevated updater must not hand its rights on to the product: the
  // desktop's shell starts it as the user (no process comes back to wait
  // for), or it is not started at all.
  if (shell_.RunsElevated()) {
    if (shell_.ShellExecuteAsDesktopUser(file, parameters)) return 33;
    return Refuse("Aplikaci " + file + " nelze spustit s právy uživatele. Spusťte ji znovu.");
  }
  ProcessHandle process = 0;
  uint32_t result = shell_.ShellExecute(file, parameters, wait, process);
  if (result > 32) {
    if (wait && process) {
      WaitForHandle(process, false);
    } else if (process) {
      shell_.CloseProcess(process);
    }
    return result;
  }
  return Refuse(ShellErrorText(result, file));
}

uint32_t ExecCmd::Refuse(const std::string& text) {
  shell_.Beep(400, 150);
  dialogs_.MessageBox(text, "Otevřít soubor", MessageIcon::Exclamation);
  return 0;
}

uint32_t ExecCmd::WaitForProcess(uint32_t processId, bool block) {
  ProcessHandle process = shell_.OpenProcess(processId);
  if (!process) return 0;
  return WaitForHandle(process, block);
}

uint32_t ExecCmd::WaitForHandle(ProcessHandle process, bool block) {
  uint32_t code = 0;
  if (block) {
    shell_.WaitForever(process);
    shell_.GetExitCode(process, code);
  } else {
    while (shell_.GetExitCode(process, code) && code == kStillActive)
      if (pump_) pump_();
  }
  shell_.CloseProcess(process);
  return code;
}

}  // namespace tyx
