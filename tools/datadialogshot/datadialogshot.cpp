// Shows the data dialog with one item of every kind and a disable rule, as a user would see
// it, until it is closed. With an argument, writes the dialog's screen rectangle to that file
// as "x y width height" once the dialog is shown, so that a screenshot can be cut to it.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <initializer_list>

#include "foundation/approot.h"
#include "foundation/stringarray.h"
#include "ui/datadialogs.h"
#include "uitest.h"

namespace {

const char* gRectFile = nullptr;

// Reports the rectangle once the dialog is on the screen (the first paint after showing).
LRESULT ReportRectangle(HWND window, UINT message, WPARAM, LPARAM) {
  if (message != WM_PAINT || !gRectFile) return 0;
  RECT r;
  GetWindowRect(window, &r);
  if (FILE* f = fopen(gRectFile, "w")) {
    fprintf(f, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    fclose(f);
  }
  gRectFile = nullptr;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  gRectFile = argc > 1 ? argv[1] : nullptr;
  INITCOMMONCONTROLSEX icc = {sizeof icc, 0x7FF};
  InitCommonControlsEx(&icc);
  gAppInstance = gResourceInstance = GetModuleHandleA(nullptr);

  STRINGARRAY colours, sides;
  for (const char* c : {"Black", "Cyan", "Magenta", "Yellow"}) colours.Add(STRING(c));
  for (const char* s : {"One side", "Both sides", "Booklet"}) sides.Add(STRING(s));
  STRING name("Jane Doe"), count("2"), paper("1"), colour("1"), side("1"), language("Deu"),
      printer("Office"), folder("C:\\Users\\Public\\Documents"), browse("Choose a folder"),
      open("https://example.com/");

  DATADIALOGBOX dialog(IDD_UITEST_DATA, nullptr, nullptr);
  dialog.SetPreHandler(ReportRectangle);
  for (const char* l : {"English", "Deutsch", "Fran\xE7" "ais", "Magyar"})
    LISTBOX(dialog.Hwnd(), IDC_DATA_COMBO).Add(l);
  for (const char* p : {"Laser", "Office", "PDF"}) LISTBOX(dialog.Hwnd(), IDC_DATA_LISTSTR).Add(p);
  dialog.AddItem(new ENTRYDATADIALOGITEM(IDC_DATA_NAME, &name, 64));
  dialog.AddItem(new SPINDATADIALOGITEM(IDC_DATA_COUNT, &count, 1, 99));
  dialog.AddItem(new RADIODATADIALOGITEM(IDC_DATA_RADIO0, &paper, 0));
  dialog.AddItem(new RADIODATADIALOGITEM(IDC_DATA_RADIO1, &paper, 1));
  dialog.AddItem(new RADIODATADIALOGITEM(IDC_DATA_RADIO2, &paper, 2));
  dialog.AddItem(new LISTDATADIALOGITEM(IDC_DATA_LIST, &colour, &colours));
  dialog.AddItem(new LISTDATADIALOGITEM(IDC_DATA_MULTI, &side, &sides));
  dialog.AddItem(new LISTSTRDATADIALOGITEM(IDC_DATA_COMBO, &language));
  dialog.AddItem(new LISTSTRDATADIALOGITEM(IDC_DATA_LISTSTR, &printer));
  dialog.AddItem(new ENTRYDATADIALOGITEM(IDC_DATA_FOLDER, &folder, 260));
  dialog.AddItem(new PUSHDATADIALOGITEM(IDC_DATA_BROWSE, &browse, PushBrowseFolder,
                                        IDC_DATA_FOLDER));
  dialog.AddItem(new PUSHDATADIALOGITEM(IDC_DATA_OPEN, &open, PushOpen, 0));
  // Open stays disabled while no name is entered.
  dialog.AddDisableItem(IDC_DATA_OPEN, IDC_DATA_NAME, DDCOND_UNCHECKED, nullptr);
  return dialog.Run();
}
