#include "api/host_session.h"

#include <cmath>
#include <cstdlib>

#include "api/host_session_shared.h"
#include "api/view_math.h"

namespace {

const char* typeName(ProMode t) {
  switch (t) {
    case PRO_MODE_PART:
      return "part";
    case PRO_MODE_ASSEMBLY:
      return "assembly";
    case PRO_MODE_DRAWING:
      return "drawing";
    default:
      return "mode";
  }
}

// A component turned by the angle (degrees) about the axis, its origin at (x, y, z).
void addComponent(pro_model_handle* owner, int id, pro_model_handle* model, double x, double y,
                  double z, const double axis[3] = nullptr, double degrees = 0) {
  HostComponent c;
  c.id = id;
  c.name = model->name;
  c.model = model;
  view_math::identity(c.placement);
  if (axis) view_math::rotation(axis, degrees * std::acos(-1.0) / 180, c.placement);
  c.placement[3][0] = x;
  c.placement[3][1] = y;
  c.placement[3][2] = z;
  view_math::copy(c.placement, c.shown);
  owner->components.push_back(c);
}

}  // namespace

using host_session::kModelMagic;

HostSession::HostSession(HostJournal* journal) : mJournal(journal) {}

HostSession::~HostSession() {
  for (void* block : mArrays) std::free(block);
}
pro_model_handle* HostSession::newModel(const std::string& name, ProMode type) {
  mModels.push_back(std::make_unique<pro_model_handle>());
  pro_model_handle* m = mModels.back().get();
  m->magic = kModelMagic;
  m->name = name;
  m->type = type;
  return m;
}
int HostSession::openModel(const std::string& type, const std::string& name, bool created,
                           std::string* error) {
  ProMode mode = type == "part"       ? PRO_MODE_PART
                 : type == "assembly" ? PRO_MODE_ASSEMBLY
                 : type == "drawing"  ? PRO_MODE_DRAWING
                                      : PRO_MODE_UNUSED;
  // Any other mode the host knows, and codes beyond them, by number: such a model is otherwise a
  // part without components.
  int code = -1;
  if (mode == PRO_MODE_UNUSED && modeCode(type, &code)) mode = static_cast<ProMode>(code);
  if (mode == PRO_MODE_UNUSED) {
    *error = "unknown model type '" + type + "' (part, assembly, drawing or a mode code 0 to " +
             std::to_string(kMaxModeCode) + ")";
    return -1;
  }
  if (name.empty()) {
    *error = "a model needs a name";
    return -1;
  }
  pro_model_handle* m = newModel(name, mode);
  m->features = {{1, "DTM1"}, {2, "DTM2"}, {3, "DTM3"}, {4, "CSYS"}};
  if (mode == PRO_MODE_ASSEMBLY) {
    // A small fixed product: two parts and a subassembly with two parts of its own.
    pro_model_handle* bracket = newModel("bracket.prt", PRO_MODE_PART);
    pro_model_handle* bolt = newModel("bolt.prt", PRO_MODE_PART);
    pro_model_handle* sub = newModel("sub.asm", PRO_MODE_ASSEMBLY);
    pro_model_handle* pin = newModel("pin.prt", PRO_MODE_PART);
    pro_model_handle* washer = newModel("washer.prt", PRO_MODE_PART);
    // Placed as a designer leaves them: most turned, so a move that treats a placement as a bare
    // translation shows.
    const double kX[3] = {1, 0, 0};
    const double kZ[3] = {0, 0, 1};
    const double kDiagonal[3] = {1 / std::sqrt(3.0), 1 / std::sqrt(3.0), 1 / std::sqrt(3.0)};
    addComponent(sub, 11, pin, 5, 0, 0, kX, 30);
    addComponent(sub, 12, washer, 0, 0, 5);
    sub->features = {{1, "ASM_RIGHT"}};
    addComponent(m, 5, bracket, 0, 0, 0);
    addComponent(m, 6, bolt, 50, 0, 0, kZ, 90);
    addComponent(m, 7, sub, 0, 40, 0, kDiagonal, 120);
  }
  mWindows.push_back(std::make_unique<HostWindow>());
  HostWindow* w = mWindows.back().get();
  w->id = mNextWindowId++;
  w->model = m;
  view_math::identity(w->view);
  mCurrent = w;
  mSelected.clear();
  selectionChanged();
  mJournal->write(JsonLine("model_open")
                      .str("name", name)
                      .str("type", typeName(mode))
                      .num("mode", static_cast<int>(mode))
                      .num("window", w->id)
                      .flag("created", created));
  return w->id;
}
bool HostSession::activateWindow(int id, std::string* error) {
  for (auto& w : mWindows) {
    if (w->id == id) {
      if (mCurrent != w.get()) mSelected.clear();
      mCurrent = w.get();
      selectionChanged();
      mJournal->write(JsonLine("window_activate").num("window", id).str("model", w->model->name));
      return true;
    }
  }
  *error = "no window " + std::to_string(id);
  return false;
}
bool HostSession::closeWindow(int id, std::string* error) {
  for (auto it = mWindows.begin(); it != mWindows.end(); ++it) {
    if ((*it)->id != id) continue;
    if (mCurrent == it->get()) {
      mCurrent = nullptr;
      mSelected.clear();
    }
    mWindows.erase(it);
    if (!mCurrent && !mWindows.empty()) mCurrent = mWindows.back().get();
    selectionChanged();
    mJournal->write(JsonLine("window_close").num("window", id).num("current", currentWindowId()));
    return true;
  }
  *error = "no window " + std::to_string(id);
  return false;
}
const HostWindow* HostSession::window(int id) const {
  for (auto& w : mWindows)
    if (w->id == id) return w.get();
  return nullptr;
}
std::vector<int> HostSession::windowIds() const {
  std::vector<int> ids;
  for (auto& w : mWindows) ids.push_back(w->id);
  return ids;
}
bool HostSession::setSketch(bool on, std::string* error) {
  if (!mCurrent) {
    *error = "no current window to edit a sketch in";
    return false;
  }
  mCurrent->sketch = on;
  mJournal->write(JsonLine("sketch").num("window", mCurrent->id).flag("active", on));
  return true;
}
ProError HostSession::modeCurrent(ProMode* mode) {
  if (!mode) return PRO_TK_BAD_INPUTS;
  if (!mCurrent) return PRO_TK_BAD_CONTEXT;
  // The mode stays the model's while a sketch is edited; ProSectionIsActive tells the sketch.
  *mode = mCurrent->model->type;
  return PRO_TK_NO_ERROR;
}
ProError HostSession::sectionActive(ProBoolean* active) {
  if (!active) return PRO_TK_BAD_INPUTS;
  *active = mCurrent && mCurrent->sketch ? PRO_B_TRUE : PRO_B_FALSE;
  return PRO_TK_NO_ERROR;
}
ProError HostSession::windowCurrent(int* id) {
  if (!id) return PRO_TK_BAD_INPUTS;
  if (!mCurrent) return PRO_TK_BAD_CONTEXT;
  *id = mCurrent->id;
  return PRO_TK_NO_ERROR;
}
ProError HostSession::modelCurrent(ProMdl* model) {
  if (!model) return PRO_TK_BAD_INPUTS;
  if (!mCurrent) return PRO_TK_BAD_CONTEXT;
  *model = mCurrent->model;
  return PRO_TK_NO_ERROR;
}
ProError HostSession::notificationSet(ProNotifyType type, ProFunction fn) {
  if (type <= 0 || type > 500 || !fn) return PRO_TK_BAD_INPUTS;
  bool replaced = mNotifications.count(type) > 0;
  mNotifications[type] = fn;
  mJournal->write(JsonLine("notify_set").num("type", type).flag("replaced", replaced));
  return PRO_TK_NO_ERROR;
}
ProError HostSession::notificationUnset(ProNotifyType type) {
  bool was = mNotifications.erase(type) > 0;
  mJournal->write(JsonLine("notify_unset").num("type", type).flag("was_set", was));
  return was ? PRO_TK_NO_ERROR : PRO_TK_E_NOT_FOUND;
}
void HostSession::fire(ProNotifyType type, const std::string& reason) {
  auto it = mNotifications.find(type);
  if (it == mNotifications.end()) {
    mJournal->write(
        JsonLine("notify").num("type", type).str("reason", reason).flag("handled", false));
    return;
  }
  ProFunction fn = it->second;
  mJournal->write(JsonLine("notify").num("type", type).str("reason", reason).flag("handled", true));
  ProError result = fn();
  mJournal->write(JsonLine("notify_done").num("type", type).num("result", result));
}
bool HostSession::modeCode(const std::string& text, int* code) {
  if (text.empty() || text.size() > 3) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  *code = std::stoi(text);
  return *code <= kMaxModeCode;
}
