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
  CmdRenameBadRars,     // RenameBadRars1Click
  CmdMakeDummyRars,     // MakeDummyofBadRars1Click
  CmdSkipKnownGood,     // SkipKnownGoodFiles1Click
  // "Options" > "Colors"
  CmdColorsDefault,     // Backtodefault1Click
  CmdColorBackground,   // Background1Click, shared by the five colour items
  CmdColorOk,           //   in ColourTable order
  CmdColorBad,
  CmdColorMissing,
  CmdColorKnownGood,
  // "Options" > "Set Associations" (AssOnFolders1Click, shared)
  CmdAssFolderCheck,        // "SFV Check Folder"
  CmdAssFolderCheckSpe,     // "SFV Check Specifik in Folder"
  CmdAssFolderCreate,       // "Create SFV in Folder"
  CmdAssFolderCreateSpe,    // "Create Specifik SFV in Folder"
  CmdAssFileCheck,          // "Check SFV File"
  CmdAssFileCheckSpe,       // "Check Specifik Files"
  // "Create Options"
  CmdIncludeFileInfo,       // IncludeFileInfoInSFV1Click
  CmdIncludeNfo,            // IncludeNFOInSFV1Click
  CmdFileTypesToExclude,    // FileTypesToExclude1Click
  CmdSetDefaultSfvName,     // SetDefaultSFVFileName1Click
  CmdListFilesCreated,      // ListFilesCreated1Click
  // "About"
  CmdDisclaimer,            // Disclaimer1Click
  CmdAbout,                 // About1Click
  CmdCheckForUpdate,        // Checkforupdate1Click
  // The pop-up menu of StatusList (Openfolder1Click), in this order.
  CmdOpenFolder = 40101,
  CmdExploreFolder,
  CmdEditSfv,
  CmdReCheckFile,
};
