// The host API functions the plug-in calls. Each checks the calling thread first, then hands the
// call to the host's session, commands, menus or macro engine.
#include <windows.h>

#include <cwchar>

#include "api/kx_host_extra.h"
#include "api/view_math.h"
#include "app/host_app.h"
#include "pro_toolkit.h"
#include "windows/host_windows.h"

#define KXH_ENTER(name)                                                     \
  if (!HostApp::onUiThread(name)) {                                         \
    return HostApp::instance() ? PRO_TK_GENERAL_ERROR : PRO_TK_BAD_CONTEXT; \
  }                                                                         \
  HostApp& app = *HostApp::instance()

namespace {

std::string narrow(const char* s) { return s ? s : ""; }

}  // namespace

extern "C" {

ProError ProCmdOptionAdd(char* name, uiCmdCmdActFn action, ProBoolean is_check_button,
                         uiCmdCmdValFn value_cb, uiCmdAccessFn access_cb,
                         ProBoolean allow_in_non_active_window,
                         ProBoolean allow_in_accessory_window, uiCmdCmdId* out_id) {
  KXH_ENTER("ProCmdOptionAdd");
  (void)allow_in_non_active_window;
  (void)allow_in_accessory_window;
  return app.commands().add(name, action, is_check_button, value_cb, access_cb, out_id);
}

ProError ProCmdChkbuttonValueSet(uiCmdValue* value, ProBoolean set) {
  KXH_ENTER("ProCmdChkbuttonValueSet");
  return app.commands().valueSet(value, set);
}

ProError ProMenubarMenuAdd(char* menu_name, char* label, char* neighbour,
                           ProBoolean add_after_neighbour, wchar_t* msg_file) {
  KXH_ENTER("ProMenubarMenuAdd");
  if (!menu_name || !label) return PRO_TK_BAD_INPUTS;
  std::string shown = app.resolveLabel(msg_file, label);
  ProError err = app.menus().addMenu(menu_name, shown, neighbour, add_after_neighbour != 0);
  if (err == PRO_TK_NO_ERROR) app.windows().rebuildMenuBar();
  return err;
}

ProError ProMenubarmenuChkbuttonAdd(char* parent_menu, char* button_name, char* label,
                                    char* one_line_help, char* neighbour,
                                    ProBoolean add_after_neighbour, uiCmdCmdId cmd,
                                    wchar_t* msg_file) {
  KXH_ENTER("ProMenubarmenuChkbuttonAdd");
  if (!parent_menu || !button_name || !label) return PRO_TK_BAD_INPUTS;
  if (!app.commands().valid(cmd) || !cmd->checkButton) return PRO_TK_BAD_INPUTS;
  std::string shown = app.resolveLabel(msg_file, label);
  std::string help = one_line_help ? app.resolveLabel(msg_file, one_line_help) : "";
  ProError err = app.menus().addCheckButton(parent_menu, button_name, shown, help, neighbour,
                                            add_after_neighbour != 0, cmd);
  if (err == PRO_TK_NO_ERROR) app.windows().rebuildMenuBar();
  return err;
}

ProError ProCmdDesignate(uiCmdCmdId cmd, char* label, char* one_line_help, char* description,
                         wchar_t* msg_file) {
  KXH_ENTER("ProCmdDesignate");
  if (!label) return PRO_TK_BAD_INPUTS;
  std::string l = app.resolveLabel(msg_file, label);
  std::string h = one_line_help ? app.resolveLabel(msg_file, one_line_help) : "";
  std::string d = description ? app.resolveLabel(msg_file, description) : "";
  return app.commands().designate(cmd, l.c_str(), h.c_str(), d.c_str());
}

ProError ProNotificationSet(ProNotifyType type, ProFunction callback) {
  KXH_ENTER("ProNotificationSet");
  return app.session().notificationSet(type, callback);
}

ProError ProNotificationUnset(ProNotifyType type) {
  KXH_ENTER("ProNotificationUnset");
  return app.session().notificationUnset(type);
}

ProError ProConfigoptSet(wchar_t* option, wchar_t* value) {
  KXH_ENTER("ProConfigoptSet");
  if (!option || !value) return PRO_TK_BAD_INPUTS;
  return app.macros().configSet(toUtf8(option), toUtf8(value));
}

ProError ProMacroLoad(wchar_t* macro) {
  KXH_ENTER("ProMacroLoad");
  if (!macro) return PRO_TK_BAD_INPUTS;
  ProError err = app.macros().load(toUtf8(macro));
  if (err == PRO_TK_NO_ERROR) app.scheduleMacros();
  return err;
}

ProError ProModeCurrentGet(ProMode* mode) {
  KXH_ENTER("ProModeCurrentGet");
  return app.session().modeCurrent(mode);
}

ProError ProSectionIsActive(ProBoolean* is_active) {
  KXH_ENTER("ProSectionIsActive");
  return app.session().sectionActive(is_active);
}

ProError ProWindowCurrentGet(int* window_id) {
  KXH_ENTER("ProWindowCurrentGet");
  return app.session().windowCurrent(window_id);
}

ProError ProMdlCurrentGet(ProMdl* model) {
  KXH_ENTER("ProMdlCurrentGet");
  return app.session().modelCurrent(model);
}

ProError ProSelbufferSelectionsGet(ProSelection** selections) {
  KXH_ENTER("ProSelbufferSelectionsGet");
  return app.session().selectionsGet(selections);
}

ProError ProArraySizeGet(ProArray array, int* size) {
  KXH_ENTER("ProArraySizeGet");
  return app.session().arraySize(array, size);
}

ProError ProArrayFree(ProArray* array) {
  KXH_ENTER("ProArrayFree");
  return app.session().arrayFree(array);
}

ProError ProSelectionAsmcomppathGet(ProSelection selection, ProAsmcomppath* path) {
  KXH_ENTER("ProSelectionAsmcomppathGet");
  return app.session().selectionPath(selection, path);
}

ProError ProFeatureInit(ProSolid owner, int id, ProFeature* feature) {
  KXH_ENTER("ProFeatureInit");
  return app.session().featureInit(owner, id, feature);
}

ProError ProAsmcompPositionGet(ProAsmcomp* component, ProMatrix position) {
  KXH_ENTER("ProAsmcompPositionGet");
  return app.session().positionGet(component, position);
}

ProError ProAsmcompPositionSet(ProAsmcomppath* path, ProAsmcomp* component, ProMatrix position) {
  KXH_ENTER("ProAsmcompPositionSet");
  return app.session().positionSet(path, component, position);
}

ProError ProAsmcompRegenerate(ProAsmcomp* component, ProBoolean update_soft) {
  KXH_ENTER("ProAsmcompRegenerate");
  return app.session().regenerate(component, update_soft);
}

ProError ProAssemblyDynPosSet(ProAssembly assembly, ProBoolean on) {
  KXH_ENTER("ProAssemblyDynPosSet");
  return app.session().dynPos(assembly, on);
}

ProError ProViewMatrixGet(ProMdl model, ProView view, ProMatrix matrix) {
  KXH_ENTER("ProViewMatrixGet");
  return app.session().viewGet(model, view, matrix);
}

ProError ProViewMatrixSet(ProMdl model, ProView view, ProMatrix matrix) {
  KXH_ENTER("ProViewMatrixSet");
  return app.session().viewSet(model, view, matrix);
}

ProError ProVectorTrfEval(ProVector in, ProMatrix matrix, ProVector out) {
  KXH_ENTER("ProVectorTrfEval");
  (void)app;
  if (!in || !matrix || !out) return PRO_TK_BAD_INPUTS;
  view_math::vectorTrf(in, matrix, out);
  return PRO_TK_NO_ERROR;
}

ProError ProViewRefit(ProMdl model, ProView view) {
  KXH_ENTER("ProViewRefit");
  ProError err = app.session().refit(model, view);
  if (err == PRO_TK_NO_ERROR) app.windows().repaint();
  return err;
}

ProError ProWindowRefresh(int window_id) {
  KXH_ENTER("ProWindowRefresh");
  int resolved = 0;
  ProError err = app.session().refresh(window_id, &resolved);
  if (err == PRO_TK_NO_ERROR && resolved == app.session().currentWindowId())
    app.windows().repaint();
  return err;
}

wchar_t* ProStringToWstring(wchar_t* out, char* in) {
  if (!out) return out;
  if (!in) {
    out[0] = 0;
    return out;
  }
  // Byte-wise widening, as the host does for its 8-bit texts; the caller sized the buffer.
  size_t i = 0;
  for (; in[i]; ++i) out[i] = static_cast<unsigned char>(in[i]);
  out[i] = 0;
  return out;
}

void kxh_JournalNote(const char* text) {
  HostApp* app = HostApp::instance();
  if (!app) return;
  // Notes come from test plug-ins; they are journaled from whichever thread calls.
  app->journal().write(JsonLine("note")
                           .str("text", narrow(text))
                           .flag("ui_thread", GetCurrentThreadId() == app->uiThread()));
}

}  // extern "C"
