#include "api/host_session.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "api/view_math.h"

namespace {

constexpr unsigned kModelMagic = 0x4d444c31;
constexpr unsigned kSelectionMagic = 0x53454c31;
constexpr unsigned kArrayMagic = 0x41525231;

struct ArrayHeader {
  unsigned magic;
  int count;
  int elemSize;
  int reserved;
};

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

// The host stores what it is given, but a matrix with NaN or infinity in it would poison every
// later view or placement: it refuses those.
bool finite(const double m[4][4]) {
  for (int r = 0; r < 4; ++r)
    for (int k = 0; k < 4; ++k)
      if (!std::isfinite(m[r][k])) return false;
  return true;
}

// A placement counts as a rigid transform within this; a move of thousands of steps stays far
// below.
constexpr double kRigidTolerance = 1e-9;

std::string pathText(const std::vector<int>& path) {
  std::string s;
  for (size_t i = 0; i < path.size(); ++i) s += (i ? "/" : "") + std::to_string(path[i]);
  return s;
}

}  // namespace

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

bool HostSession::select(const std::string& path, std::string* error) {
  if (!mCurrent || mCurrent->model->type != PRO_MODE_ASSEMBLY) {
    *error = "components can only be selected in an assembly";
    return false;
  }
  if (path.empty() || path.back() == '/') {
    *error = "bad component path '" + path + "'";
    return false;
  }
  std::vector<int> ids;
  std::stringstream ss(path);
  std::string part;
  pro_model_handle* level = mCurrent->model;
  while (std::getline(ss, part, '/')) {
    char* end = nullptr;
    long id = std::strtol(part.c_str(), &end, 10);
    if (part.empty() || *end) {
      *error = "bad component path '" + path + "'";
      return false;
    }
    // A part has no components: a path cannot go on below one.
    HostComponent* found = nullptr;
    if (level)
      for (HostComponent& c : level->components)
        if (c.id == id) found = &c;
    if (!found) {
      *error = "no component " + part + " on path '" + path + "'";
      return false;
    }
    ids.push_back(static_cast<int>(id));
    level = found->model && found->model->type == PRO_MODE_ASSEMBLY ? found->model : nullptr;
  }
  if (ids.empty() || ids.size() > PRO_ASM_MAX_DEPTH) {
    *error = "bad component path '" + path + "'";
    return false;
  }
  mSelectionStore.push_back(std::make_unique<pro_selection_handle>());
  pro_selection_handle* s = mSelectionStore.back().get();
  s->magic = kSelectionMagic;
  s->owner = mCurrent->model;
  s->path = ids;
  mSelected.push_back(s);
  selectionChanged();
  mJournal->write(JsonLine("select").str("path", pathText(ids)).num("count", mSelected.size()));
  return true;
}

bool HostSession::selectItem(const std::string& item, std::string* error) {
  if (!mCurrent) {
    *error = "no current model to select in";
    return false;
  }
  mSelectionStore.push_back(std::make_unique<pro_selection_handle>());
  pro_selection_handle* s = mSelectionStore.back().get();
  s->magic = kSelectionMagic;
  s->owner = mCurrent->model;
  s->item = item;
  mSelected.push_back(s);
  selectionChanged();
  mJournal->write(JsonLine("select").str("item", item).num("count", mSelected.size()));
  return true;
}

void HostSession::clearSelection() {
  mSelected.clear();
  selectionChanged();
  mJournal->write(JsonLine("select_clear"));
}

void HostSession::navigate(const int a[6], const std::string& source) {
  if (!mCurrent) {
    mJournal->write(JsonLine("nav").str("source", source).flag("applied", false));
    return;
  }
  view_math::navigate(mCurrent->view, a[0], a[1], a[2], a[3], a[4], a[5]);
  mJournal->write(JsonLine("nav")
                      .str("source", source)
                      .flag("applied", true)
                      .num("window", mCurrent->id)
                      .num("tx", a[0])
                      .num("ty", a[1])
                      .num("tz", a[2])
                      .num("rx", a[3])
                      .num("ry", a[4])
                      .num("rz", a[5])
                      .matrix("view", mCurrent->view));
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

// Journals a probe unless it found what the last journaled one found; the journaled one tells how
// many were folded since the one before it.
void HostSession::journalSelectionGet(size_t count) {
  const std::string found = std::to_string(count) + "/" + std::to_string(mArrays.size());
  if (found == mLastSelectionGet) {
    ++mFoldedSelectionGets;
    ++mFoldedSinceJournaled;
    return;
  }
  mLastSelectionGet = found;
  mJournal->write(JsonLine("selection_get")
                      .num("count", count)
                      .num("unfreed_arrays", mArrays.size())
                      .num("folded", mFoldedSinceJournaled));
  mFoldedSinceJournaled = 0;
}

ProError HostSession::selectionsGet(ProSelection** out) {
  if (!out) return PRO_TK_BAD_INPUTS;
  if (mSelected.empty()) {
    journalSelectionGet(0);
    return PRO_TK_E_NOT_FOUND;
  }
  size_t n = mSelected.size();
  char* block = static_cast<char*>(std::malloc(sizeof(ArrayHeader) + n * sizeof(ProSelection)));
  if (!block) return PRO_TK_GENERAL_ERROR;
  ArrayHeader* h = reinterpret_cast<ArrayHeader*>(block);
  h->magic = kArrayMagic;
  h->count = static_cast<int>(n);
  h->elemSize = sizeof(ProSelection);
  ProSelection* items = reinterpret_cast<ProSelection*>(block + sizeof(ArrayHeader));
  for (size_t i = 0; i < n; ++i) items[i] = mSelected[i];
  mArrays.insert(block);
  *out = items;
  journalSelectionGet(n);
  return PRO_TK_NO_ERROR;
}

ProError HostSession::arraySize(ProArray array, int* size) {
  if (!array || !size) return PRO_TK_BAD_INPUTS;
  char* block = static_cast<char*>(array) - sizeof(ArrayHeader);
  if (!mArrays.count(block)) return PRO_TK_BAD_INPUTS;
  *size = reinterpret_cast<ArrayHeader*>(block)->count;
  return PRO_TK_NO_ERROR;
}

ProError HostSession::arrayFree(ProArray* array) {
  if (!array || !*array) return PRO_TK_BAD_INPUTS;
  char* block = static_cast<char*>(*array) - sizeof(ArrayHeader);
  if (!mArrays.erase(block)) return PRO_TK_BAD_INPUTS;
  std::free(block);
  *array = nullptr;
  // A probe's array given back at once leaves the count where the folded probe found it.
  const std::string left = std::to_string(mArrays.size());
  if (left == mLastArrayFree) return PRO_TK_NO_ERROR;
  mLastArrayFree = left;
  mJournal->write(JsonLine("array_free").num("unfreed_arrays", mArrays.size()));
  return PRO_TK_NO_ERROR;
}

ProError HostSession::selectionPath(ProSelection sel, ProAsmcomppath* path) {
  if (!sel || !path) return PRO_TK_BAD_INPUTS;
  bool known = false;
  for (auto& s : mSelectionStore)
    if (s.get() == sel && s->magic == kSelectionMagic) known = true;
  if (!known) return PRO_TK_BAD_INPUTS;
  path->owner = sel->owner;
  path->table_num = static_cast<int>(sel->path.size());
  for (int i = 0; i < PRO_ASM_MAX_DEPTH; ++i)
    path->comp_id_table[i] = i < path->table_num ? sel->path[i] : -1;
  return PRO_TK_NO_ERROR;
}

bool HostSession::validModel(pro_model_handle* m) const {
  if (!m) return false;
  for (auto& own : mModels)
    if (own.get() == m) return m->magic == kModelMagic;
  return false;
}

ProError HostSession::featureInit(ProSolid owner, int id, ProFeature* feature) {
  if (!feature || !validModel(owner)) return PRO_TK_BAD_INPUTS;
  bool found = owner->features.count(id) > 0;
  for (const HostComponent& c : owner->components) found = found || c.id == id;
  if (!found) return PRO_TK_E_NOT_FOUND;
  feature->type = PRO_FEATURE;
  feature->id = id;
  feature->owner = owner;
  return PRO_TK_NO_ERROR;
}

HostComponent* HostSession::component(ProAsmcomp* comp, ProError* err) {
  if (!comp || !validModel(comp->owner) || comp->type != PRO_FEATURE) {
    *err = PRO_TK_BAD_INPUTS;
    return nullptr;
  }
  for (HostComponent& c : comp->owner->components)
    if (c.id == comp->id) return &c;
  *err = PRO_TK_E_NOT_FOUND;
  return nullptr;
}

ProError HostSession::positionGet(ProAsmcomp* comp, ProMatrix m) {
  ProError err = PRO_TK_NO_ERROR;
  HostComponent* c = component(comp, &err);
  if (!c) return err;
  if (!m) return PRO_TK_BAD_INPUTS;
  view_math::copy(c->placement, m);
  return PRO_TK_NO_ERROR;
}

ProError HostSession::positionSet(ProAsmcomppath* path, ProAsmcomp* comp, ProMatrix m) {
  ProError err = PRO_TK_NO_ERROR;
  HostComponent* c = component(comp, &err);
  if (!c) return err;
  if (!m) return PRO_TK_BAD_INPUTS;
  if (!finite(m)) {
    mJournal->write(
        JsonLine("placement_refused").num("component", c->id).str("error", "matrix is not finite"));
    return PRO_TK_BAD_INPUTS;
  }
  std::string pathStr;
  if (path) {
    if (path->owner != comp->owner || path->table_num < 0 || path->table_num > PRO_ASM_MAX_DEPTH)
      return PRO_TK_BAD_INPUTS;
    pathStr =
        pathText(std::vector<int>(path->comp_id_table, path->comp_id_table + path->table_num));
  }
  view_math::copy(m, c->placement);
  // Setting a placement does not regenerate; the model shows it after a regeneration.
  c->regenerated = false;
  mJournal->write(JsonLine("placement_set")
                      .str("model", comp->owner->name)
                      .num("component", c->id)
                      .str("path", pathStr)
                      .flag("dynpos", mDynPos[comp->owner])
                      .real("ortho_error", view_math::orthoError(m))
                      .real("scale_error", view_math::scaleError(m))
                      .flag("rigid", view_math::isRigid(m, kRigidTolerance))
                      .matrix("matrix", m));
  return PRO_TK_NO_ERROR;
}

ProError HostSession::regenerate(ProAsmcomp* comp, ProBoolean soft) {
  ProError err = PRO_TK_NO_ERROR;
  HostComponent* c = component(comp, &err);
  if (!c) return err;
  bool pending = !c->regenerated;
  c->regenerated = true;
  view_math::copy(c->placement, c->shown);
  mJournal->write(JsonLine("regenerate")
                      .str("model", comp->owner->name)
                      .num("component", c->id)
                      .flag("soft", soft != 0)
                      .flag("pending_placement", pending)
                      .matrix("matrix", c->placement));
  return PRO_TK_NO_ERROR;
}

ProError HostSession::dynPos(ProAssembly assembly, ProBoolean on) {
  if (!validModel(assembly) || assembly->type != PRO_MODE_ASSEMBLY) return PRO_TK_BAD_INPUTS;
  mDynPos[assembly] = on != 0;
  mJournal->write(JsonLine("dynpos").str("model", assembly->name).flag("on", on != 0));
  return PRO_TK_NO_ERROR;
}

HostWindow* HostSession::windowFor(ProMdl model, ProView view, ProError* err) {
  // Views are never handed out, so a non-null view cannot be one of ours.
  if (view) {
    *err = PRO_TK_BAD_INPUTS;
    return nullptr;
  }
  if (!model) {
    if (!mCurrent) *err = PRO_TK_BAD_CONTEXT;
    return mCurrent;
  }
  if (!validModel(model)) {
    *err = PRO_TK_BAD_INPUTS;
    return nullptr;
  }
  if (mCurrent && mCurrent->model == model) return mCurrent;
  for (auto& w : mWindows)
    if (w->model == model) return w.get();
  *err = PRO_TK_E_NOT_FOUND;
  return nullptr;
}

ProError HostSession::viewGet(ProMdl model, ProView view, ProMatrix m) {
  ProError err = PRO_TK_NO_ERROR;
  HostWindow* w = windowFor(model, view, &err);
  if (!w) return err;
  if (!m) return PRO_TK_BAD_INPUTS;
  view_math::copy(w->view, m);
  return PRO_TK_NO_ERROR;
}

ProError HostSession::viewSet(ProMdl model, ProView view, ProMatrix m) {
  ProError err = PRO_TK_NO_ERROR;
  HostWindow* w = windowFor(model, view, &err);
  if (!w) return err;
  if (!m) return PRO_TK_BAD_INPUTS;
  if (!finite(m)) {
    mJournal->write(
        JsonLine("view_set_refused").num("window", w->id).str("error", "matrix is not finite"));
    return PRO_TK_BAD_INPUTS;
  }
  view_math::copy(m, w->view);
  mJournal->write(JsonLine("view_set")
                      .num("window", w->id)
                      .real("ortho_error", view_math::orthoError(m))
                      .matrix("matrix", m));
  return PRO_TK_NO_ERROR;
}

ProError HostSession::refit(ProMdl model, ProView view) {
  ProError err = PRO_TK_NO_ERROR;
  HostWindow* w = windowFor(model, view, &err);
  if (!w) return err;
  // A refit centres the model: the orientation stays, the translation goes.
  w->view[3][0] = w->view[3][1] = w->view[3][2] = 0;
  mJournal->write(JsonLine("refit").num("window", w->id));
  return PRO_TK_NO_ERROR;
}

ProError HostSession::refresh(int windowId, int* resolved) {
  int id = windowId == PRO_VALUE_UNUSED ? currentWindowId() : windowId;
  if (windowId == PRO_VALUE_UNUSED && id < 0) return PRO_TK_BAD_CONTEXT;
  if (!window(id)) return PRO_TK_E_NOT_FOUND;
  *resolved = id;
  mJournal->write(JsonLine("refresh").num("window", id).num("requested", windowId));
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

bool HostSession::componentChain(const std::string& path, std::vector<HostComponent*>* chain,
                                 std::string* error) {
  chain->clear();
  if (!mCurrent || mCurrent->model->type != PRO_MODE_ASSEMBLY) {
    *error = "no assembly in the current window";
    return false;
  }
  pro_model_handle* level = mCurrent->model;
  std::stringstream ss(path);
  std::string part;
  while (std::getline(ss, part, '/')) {
    char* end = nullptr;
    long id = std::strtol(part.c_str(), &end, 10);
    HostComponent* found = nullptr;
    if (level && !part.empty() && !*end)
      for (HostComponent& c : level->components)
        if (c.id == id) found = &c;
    if (!found) {
      *error = "no component " + part + " on path '" + path + "'";
      return false;
    }
    chain->push_back(found);
    level = found->model && found->model->type == PRO_MODE_ASSEMBLY ? found->model : nullptr;
  }
  if (chain->empty() || path.back() == '/') {
    *error = "bad component path '" + path + "'";
    return false;
  }
  return true;
}

bool HostSession::placeComponent(const std::string& path, const double m[4][4],
                                 std::string* error) {
  std::vector<HostComponent*> chain;
  if (!componentChain(path, &chain, error)) return false;
  HostComponent* c = chain.back();
  view_math::copy(m, c->placement);
  view_math::copy(m, c->shown);
  c->regenerated = true;
  mJournal->write(JsonLine("scenario_placement").str("path", path).matrix("matrix", m));
  return true;
}

bool HostSession::setCurrentView(const double m[4][4], std::string* error) {
  if (!mCurrent) {
    *error = "no current window to set the view of";
    return false;
  }
  view_math::copy(m, mCurrent->view);
  mJournal->write(JsonLine("scenario_view").num("window", mCurrent->id).matrix("matrix", m));
  return true;
}

bool HostSession::placementInAssembly(const std::string& path, double out[4][4],
                                      std::string* error) {
  std::vector<HostComponent*> chain;
  if (!componentChain(path, &chain, error)) return false;
  // Row vectors: a point of the lowest component maps through its placement, then each one above.
  view_math::copy(chain.back()->placement, out);
  for (size_t i = chain.size() - 1; i-- > 0;) view_math::multiply(out, chain[i]->placement, out);
  return true;
}
