// A menu file as the plug-in writes it: CR LF line ends, padded keys, menu entries with "{}" only,
// a comment in the first column inside the block, a later section and no line end after the final
// single space. Application functions: 0 KX_Toggle_Scroll_Mode, 1 KX_Toggle_Object_Move_Mode,
// 2 ProCmdModelOpen, 3 ProCmdEnvMdlDisp*Hidden line, 4 ProCmdViewRefit.
#pragma once

inline constexpr char kMenuFileSample[] =
    "# PTC Creo menubar file\r\n"
    " \r\n"
    "[Modes]\r\n"
    "Sketcher      = 1\r\n"
    "Assembly      = 6\r\n"
    " \r\n"
    "[MenuBar]\r\n"
    "0Korvex       = {}\r\n"
    "1Toggle Scroll Mode= {}KX_Toggle_Scroll_Mode|Switches scrolling on and off.\r\n"
    "1Toggle Move Mode= {+ 6}KX_Toggle_Object_Move_Mode|Switches movement on and off.\r\n"
    "0File         = {}\r\n"
    "1Open         = {}ProCmdModelOpen|Opens a model.\r\n"
    "# a comment in the first column does not end the block\r\n"
    "1Hidden       = {}ProCmdEnvMdlDisp*Hidden line|Hidden lines.\r\n"
    "0View         = {}\r\n"
    "1Refit        = {}ProCmdViewRefit\r\n"
    " \r\n"
    "[Later]\r\n"
    "1Ignored      = {}ProCmdNotInMenuBar|after the block\r\n"
    " ";
