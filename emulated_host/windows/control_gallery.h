// A floating panel of the host's, owned by the main frame, with a real control for each class a
// scrolling plug-in may meet: a report-mode "SysListView32" with many rows and wide columns, a
// multi-line "Edit" with both scroll bars, and plain windows named like the host toolkit's own
// controls ("TreeView", "GXWND", "uintGraphDrawArea", "List", "Tree", "Internet Explorer_Server")
// that keep a scroll range and move on line, page and wheel messages. A group frame lies on top of
// two of them, so WindowFromPoint alone answers with the frame there.
#ifndef KX_EMULATED_HOST_CONTROL_GALLERY_H
#define KX_EMULATED_HOST_CONTROL_GALLERY_H

#include <windows.h>

#include <string>
#include <vector>

class HostJournal;

class ControlGallery {
 public:
  bool create(HWND owner, HostJournal* journal, std::string* error);
  HWND window() const { return mWindow; }
  // A control by its scenario name, or null.
  HWND control(const std::string& name) const;
  // The scenario names of the controls, in the panel's order.
  std::vector<std::string> names() const;

 private:
  struct Entry {
    std::string mName;
    HWND mWindow;
  };
  HWND mWindow = nullptr;
  std::vector<Entry> mControls;
};

#endif
