// Waits until a visible window whose title contains TEXT is on the desktop, prints its title and
// size and exits with 0; exits with 1 when none appears within SECONDS. The installer check in
// scripts/windows.sh runs it under Wine to see the installed program's start window. With
// --press, the window is a message box: its text is printed too, and its OK button pressed.
//   window_shown TEXT SECONDS [--press]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Search {
  std::wstring text;
  HWND found = nullptr;
};

BOOL CALLBACK Look(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  wchar_t title[512];
  if (!IsWindowVisible(window) || GetWindowTextW(window, title, 512) == 0) return TRUE;
  if (std::wstring(title).find(search->text) == std::wstring::npos) return TRUE;
  search->found = window;
  return FALSE;
}

std::string Utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const bool press = argc == 4 && std::string(argv[3]) == "--press";
  if (argc != 3 && !press) {
    std::fprintf(stderr, "usage: window_shown TEXT SECONDS [--press]\n");
    return 2;
  }
  Search search;
  const std::string text = argv[1];
  search.text.assign(text.begin(), text.end());  // ASCII is all the check needs
  const int tenths = std::atoi(argv[2]) * 10;
  for (int i = 0; i < tenths && !search.found; ++i) {
    EnumWindows(Look, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(100);
  }
  if (!search.found) {
    std::printf("no window with \"%s\" in its title\n", text.c_str());
    return 1;
  }
  wchar_t title[512];
  GetWindowTextW(search.found, title, 512);
  RECT box;
  GetClientRect(search.found, &box);
  std::printf("shown: \"%s\", %ld x %ld\n", Utf8(title).c_str(), box.right, box.bottom);
  if (press) {
    wchar_t text[4096] = L"";
    GetDlgItemTextW(search.found, 0xFFFF, text, 4096);  // the message box's text
    std::printf("text: %s\n", Utf8(text).c_str());
    PostMessageW(search.found, WM_COMMAND, IDOK, 0);
  }
  return 0;
}
