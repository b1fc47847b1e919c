// The host API the plug-in calls, declared by us from the host's public documentation. The plug-in
// includes only this file; it links the emulated host's import library (kx_host_api) here, or the
// real host's libraries in a build against the real SDK.
#ifndef KX_INTERFACES_PRO_TOOLKIT_H
#define KX_INTERFACES_PRO_TOOLKIT_H

#include <wchar.h>

#if defined(_WIN32) && defined(KX_HOST_API_BUILD)
#define PRO_TK_API __declspec(dllexport)
#elif defined(_WIN32) && !defined(KX_HOST_API_STATIC)
#define PRO_TK_API __declspec(dllimport)
#else
#define PRO_TK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int ProError;
#define PRO_TK_NO_ERROR 0
#define PRO_TK_GENERAL_ERROR (-1)
#define PRO_TK_BAD_INPUTS (-2)
#define PRO_TK_E_NOT_FOUND (-4)
#define PRO_TK_BAD_CONTEXT (-8)
#define PRO_TK_CANT_OPEN (-24)
#define PRO_TK_CANT_ACCESS (-33)

typedef int ProBoolean;
#define PRO_B_FALSE 0
#define PRO_B_TRUE 1

// Stands for "the current window" where a call takes a window id.
#define PRO_VALUE_UNUSED (-1)

typedef double ProMatrix[4][4];
typedef double ProVector[3];

typedef int ProMode;
#define PRO_MODE_UNUSED (-1)
#define PRO_MODE_SKETCHER 0
#define PRO_MODE_PART 1
#define PRO_MODE_SHEET_METAL 2
#define PRO_MODE_COMPOSITE 3
#define PRO_MODE_SCAN_MODEL 4
#define PRO_MODE_ASSEMBLY 5
#define PRO_MODE_DRAWING 6
#define PRO_MODE_MANUFACTURE 7
#define PRO_MODE_MOLD 8
#define PRO_MODE_CAST 9
#define PRO_MODE_DIEFACE 10
#define PRO_MODE_LAYOUT 11
#define PRO_MODE_FORMAT 12
#define PRO_MODE_REPORT 13
#define PRO_MODE_MARKUP 14
#define PRO_MODE_DIAGRAM 15
#define PRO_MODE_NC_MODEL 21

typedef struct pro_model_handle* ProMdl;
typedef ProMdl ProSolid;
typedef ProMdl ProAssembly;
typedef struct pro_view_handle* ProView;
typedef struct pro_selection_handle* ProSelection;
typedef void* ProArray;

#define PRO_ASM_MAX_DEPTH 25
typedef struct {
  ProSolid owner;
  int comp_id_table[PRO_ASM_MAX_DEPTH];
  int table_num;
} ProAsmcomppath;

typedef struct {
  int type;
  int id;
  ProMdl owner;
} ProModelitem;
typedef ProModelitem ProAsmcomp;
typedef ProModelitem ProFeature;
// Item type the emulated host writes into feature handles.
#define PRO_FEATURE 8

typedef struct ui_cmd_handle* uiCmdCmdId;
typedef struct ui_cmd_value uiCmdValue;

typedef int uiCmdAccessState;
#define ACCESS_REMOVE (-1)
#define ACCESS_INVISIBLE 0
#define ACCESS_UNAVAILABLE 1
#define ACCESS_DISALLOW 2
#define ACCESS_AVAILABLE 3

typedef int uiCmdAccessMode;
#define ACCESS_MODE_BLIND 0
#define ACCESS_MODE_ERR_MSG 1

typedef int (*uiCmdCmdActFn)(uiCmdCmdId command, uiCmdValue* value, void* data);
typedef int (*uiCmdCmdValFn)(uiCmdCmdId command, uiCmdValue* value);
typedef uiCmdAccessState (*uiCmdAccessFn)(uiCmdAccessMode mode);

typedef int ProNotifyType;
#define PRO_MDL_RETRIEVE_POST 18
#define PRO_WINDOW_CHANGE_POST 24
#define PRO_MDL_CREATE_POST 41
#define PRO_POPUPMENU_CREATE_POST 72
#define PRO_POPUPMENU_DESTROY_PRE 73
typedef ProError (*ProFunction)(void);

// Commands and menus
PRO_TK_API ProError ProCmdOptionAdd(char* name, uiCmdCmdActFn action, ProBoolean is_check_button,
                                    uiCmdCmdValFn value_cb, uiCmdAccessFn access_cb,
                                    ProBoolean allow_in_non_active_window,
                                    ProBoolean allow_in_accessory_window, uiCmdCmdId* out_id);
PRO_TK_API ProError ProCmdChkbuttonValueSet(uiCmdValue* value, ProBoolean set);
PRO_TK_API ProError ProMenubarMenuAdd(char* menu_name, char* label, char* neighbour,
                                      ProBoolean add_after_neighbour, wchar_t* msg_file);
PRO_TK_API ProError ProMenubarmenuChkbuttonAdd(char* parent_menu, char* button_name, char* label,
                                               char* one_line_help, char* neighbour,
                                               ProBoolean add_after_neighbour, uiCmdCmdId cmd,
                                               wchar_t* msg_file);
PRO_TK_API ProError ProCmdDesignate(uiCmdCmdId cmd, char* label, char* one_line_help,
                                    char* description, wchar_t* msg_file);

// Notifications
PRO_TK_API ProError ProNotificationSet(ProNotifyType type, ProFunction callback);
PRO_TK_API ProError ProNotificationUnset(ProNotifyType type);

// Configuration, macros
PRO_TK_API ProError ProConfigoptSet(wchar_t* option, wchar_t* value);
PRO_TK_API ProError ProMacroLoad(wchar_t* macro);

// Session
PRO_TK_API ProError ProModeCurrentGet(ProMode* mode);
PRO_TK_API ProError ProSectionIsActive(ProBoolean* is_active);
PRO_TK_API ProError ProWindowCurrentGet(int* window_id);
PRO_TK_API ProError ProMdlCurrentGet(ProMdl* model);

// Selection and assemblies
PRO_TK_API ProError ProSelbufferSelectionsGet(ProSelection** selections);
PRO_TK_API ProError ProArraySizeGet(ProArray array, int* size);
PRO_TK_API ProError ProArrayFree(ProArray* array);
PRO_TK_API ProError ProSelectionAsmcomppathGet(ProSelection selection, ProAsmcomppath* path);
PRO_TK_API ProError ProFeatureInit(ProSolid owner, int id, ProFeature* feature);
PRO_TK_API ProError ProAsmcompPositionGet(ProAsmcomp* component, ProMatrix position);
PRO_TK_API ProError ProAsmcompPositionSet(ProAsmcomppath* path, ProAsmcomp* component,
                                          ProMatrix position);
PRO_TK_API ProError ProAsmcompRegenerate(ProAsmcomp* component, ProBoolean update_soft);
PRO_TK_API ProError ProAssemblyDynPosSet(ProAssembly assembly, ProBoolean on);

// Views
PRO_TK_API ProError ProViewMatrixGet(ProMdl model, ProView view, ProMatrix matrix);
PRO_TK_API ProError ProViewMatrixSet(ProMdl model, ProView view, ProMatrix matrix);
PRO_TK_API ProError ProVectorTrfEval(ProVector in, ProMatrix matrix, ProVector out);
PRO_TK_API ProError ProViewRefit(ProMdl model, ProView view);
PRO_TK_API ProError ProWindowRefresh(int window_id);

// Text
PRO_TK_API wchar_t* ProStringToWstring(wchar_t* out, char* in);

// Entry points a DLL-mode application exports, undecorated.
int user_initialize(int argc, char* argv[], char* version, char* build, wchar_t err_buff[80]);
void user_terminate(void);

#ifdef __cplusplus
}
#endif

#endif
