// The host's session: models in windows, the current window, views, assemblies with their
// components, the selection buffer, host-allocated arrays and notifications. Everything here runs
// on the host's user-interface thread; the API layer checks that before it calls in.
#ifndef KX_EMULATED_HOST_HOST_SESSION_H
#define KX_EMULATED_HOST_HOST_SESSION_H

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "journal/host_journal.h"
#include "pro_toolkit.h"

struct HostComponent {
  int id = 0;
  std::string name;
  pro_model_handle* model = nullptr;  // the part or subassembly placed
  double placement[4][4];             // as last set
  double shown[4][4];                 // as last regenerated: what the model shows
  bool regenerated = true;
};

struct pro_model_handle {
  unsigned magic = 0;
  std::string name;
  ProMode type = PRO_MODE_UNUSED;
  std::vector<HostComponent> components;
  std::map<int, std::string> features;  // items that are not components
};

struct pro_selection_handle {
  unsigned magic = 0;
  pro_model_handle* owner = nullptr;
  std::vector<int> path;  // component ids from the owner down; empty for other items
  std::string item;
};

struct HostWindow {
  int id = 0;
  pro_model_handle* model = nullptr;
  double view[4][4];
  bool sketch = false;
};

class HostSession {
 public:
  explicit HostSession(HostJournal* journal);
  ~HostSession();

  // Type is "part", "assembly", "drawing" or a mode code (0 sketcher, 7 manufacture, ... and codes
  // beyond the known modes). Returns the new window's id, or -1 and an error.
  int openModel(const std::string& type, const std::string& name, bool created, std::string* error);
  bool activateWindow(int id, std::string* error);
  bool closeWindow(int id, std::string* error);
  bool setSketch(bool on, std::string* error);
  // Path of component ids such as "3/11" in the current assembly.
  bool select(const std::string& path, std::string* error);
  bool selectItem(const std::string& item, std::string* error);
  void clearSelection();
  int currentWindowId() const { return mCurrent ? mCurrent->id : -1; }
  const HostWindow* currentWindow() const { return mCurrent; }
  const HostWindow* window(int id) const;
  std::vector<int> windowIds() const;
  // The host's own navigation, from six raw axis values.
  void navigate(const int axes[6], const std::string& source);
  int unfreedArrays() const { return static_cast<int>(mArrays.size()); }
  // Scenario steps on components and views. A path of ids such as "7/11" leads from the current
  // assembly down to a component; each step refuses with an error what the host could not do.
  bool placeComponent(const std::string& path, const double m[4][4], std::string* error);
  bool setCurrentView(const double m[4][4], std::string* error);
  // A component's placement in the current assembly's coordinates: its own, carried through the
  // placements of the subassemblies above it.
  bool placementInAssembly(const std::string& path, double out[4][4], std::string* error);
  // Calls of ProSelbufferSelectionsGet that were not journaled, being the same as the previous one.
  int foldedSelectionGets() const { return mFoldedSelectionGets; }

  ProError modeCurrent(ProMode* mode);
  // A model type written as a mode code, 0 to kMaxModeCode.
  static bool modeCode(const std::string& text, int* code);
  static constexpr int kMaxModeCode = 99;
  ProError sectionActive(ProBoolean* active);
  ProError windowCurrent(int* id);
  ProError modelCurrent(ProMdl* model);
  ProError selectionsGet(ProSelection** out);
  ProError arraySize(ProArray array, int* size);
  ProError arrayFree(ProArray* array);
  ProError selectionPath(ProSelection sel, ProAsmcomppath* path);
  ProError featureInit(ProSolid owner, int id, ProFeature* feature);
  ProError positionGet(ProAsmcomp* comp, ProMatrix m);
  ProError positionSet(ProAsmcomppath* path, ProAsmcomp* comp, ProMatrix m);
  ProError regenerate(ProAsmcomp* comp, ProBoolean soft);
  ProError dynPos(ProAssembly assembly, ProBoolean on);
  ProError viewGet(ProMdl model, ProView view, ProMatrix m);
  ProError viewSet(ProMdl model, ProView view, ProMatrix m);
  ProError refit(ProMdl model, ProView view);
  // On success, *resolved is the window to repaint.
  ProError refresh(int windowId, int* resolved);
  ProError notificationSet(ProNotifyType type, ProFunction fn);
  ProError notificationUnset(ProNotifyType type);
  // Calls the registered callback (if any) and journals the firing.
  void fire(ProNotifyType type, const std::string& reason);
  int notificationCount() const { return static_cast<int>(mNotifications.size()); }
  const std::map<int, ProFunction>& notifications() const { return mNotifications; }

 private:
  bool validModel(pro_model_handle* m) const;
  HostComponent* component(ProAsmcomp* comp, ProError* err);
  HostWindow* windowFor(ProMdl model, ProView view, ProError* err);
  pro_model_handle* newModel(const std::string& name, ProMode type);
  // The components along a path in the current assembly, top level first.
  bool componentChain(const std::string& path, std::vector<HostComponent*>* chain,
                      std::string* error);
  // A new selected item of the current model, its path or item still empty.
  pro_selection_handle* newSelection();
  // A selection change or a new window: the next selection probe is journaled again.
  void selectionChanged() {
    mLastSelectionGet.clear();
    mLastArrayFree.clear();
  }
  void journalSelectionGet(size_t count);

  HostJournal* mJournal;
  std::deque<std::unique_ptr<pro_model_handle>> mModels;
  std::deque<std::unique_ptr<HostWindow>> mWindows;
  HostWindow* mCurrent = nullptr;
  int mNextWindowId = 1;
  std::deque<std::unique_ptr<pro_selection_handle>> mSelectionStore;
  std::vector<pro_selection_handle*> mSelected;
  std::set<void*> mArrays;
  std::map<int, ProFunction> mNotifications;
  std::map<const pro_model_handle*, bool> mDynPos;
  // The plug-in probes the selection on every tick: a probe that finds what the journaled one
  // found is counted, not journaled.
  std::string mLastSelectionGet;
  std::string mLastArrayFree;
  int mFoldedSelectionGets = 0;
  int mFoldedSinceJournaled = 0;
};

#endif
