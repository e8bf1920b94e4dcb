// The main window's command ids, one list for menus, shortcuts and tests.
#pragma once

enum Command : int {
  CmdNone = 0,
  // "File"
  CmdCheckSfv = 40001,  // Test1Click
  CmdCheckSpecifik,     // CheckSpecifik1Click
  CmdReCheckLast,       // ReCheckLast1Click
  CmdClearList,         // ClearList1Click
  CmdSaveList,          // SaveList1Click
  CmdPause,             // Pause1Click ("Pause" / "Resume")
  CmdSkipSfv,           // SkipSFV1Click
  CmdAbortTest,         // Stop1Click
  CmdHalt,              // Halt1Click
  CmdExit,              // Exit1Click
  // "Options"
  CmdCheckSubFolders,   // TestSubfolders1Click
  CmdPriorityIdle,      // PriorityIdle1Click; the next three follow in level order
  CmdPriorityAboveIdle,
  CmdPriorityBelowNormal,
  CmdPriorityNormal,
  CmdShowEtaSpeed,      // ShowETASpeed1Click
  CmdAutoColumns,       // AutoColumn1Click ("Resize Columns" > "Auto")
  CmdManualColumns,     // ManualColumn1Click ("Resize Columns" > "Manual")
  CmdShowFileSize,      // ShowFileSize1Click
  // The pop-up menu of StatusList (Openfolder1Click), in this order.
  CmdOpenFolder = 40101,
  CmdExploreFolder,
  CmdEditSfv,
  CmdReCheckFile,
};
