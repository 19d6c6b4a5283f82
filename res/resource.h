// Resource identifiers shared by lorewell.rc and the code. Plain macros, so
// that both the resource compiler and the portable core can read them.
#pragma once

#define IDI_LOREWELL 1   // program icon
#define IDI_DB_FILE 2    // ".db" files
#define IDI_SET_FILE 3   // ".set" files
#define IDI_VALID 4      // password length accepted
#define IDI_INVALID 5    // password length refused

#define IDA_MAIN 1       // accelerator table
#define IDM_MENU_EN 409  // menu resource = language
#define IDM_MENU_RO 418

#define IDB_PLAYER_NORMAL 1
#define IDB_PLAYER_HOVER 2
#define IDB_PLAYER_PRESSED 3
#define IDB_TREE_IMAGES 777
#define IDB_GRIP_VERTICAL 778
#define IDB_GRIP_HORIZONTAL 346
#define IDB_SEARCH_IMAGE 793

// Message n of the string table is language * 100 + n (40901.. English,
// 41801.. Romanian).
#define LW_STR_EN(n) (40900 + (n))
#define LW_STR_RO(n) (41800 + (n))

// Command ids of accelerators, menus and strip buttons, one X(name, id) row
// each; app/commands.h makes the CommandId constants kCmd<name> of them.
// menus.rc writes the same ids as numbers: the preprocessor cannot turn rows
// into one #define per name, so the list gives the resource compiler no names.
#define LW_COMMAND_IDS(X)                       \
  /* Accelerator keys (table IDA_MAIN). */      \
  X(MoveNodeUp, 17)                             \
  X(MoveNodeDown, 18)                           \
  X(Minimize, 20)                               \
  X(Help, 21)                                   \
  X(RenameNode, 22)                             \
  X(FindNext, 23)                               \
  X(FindPrevious, 24)                           \
  X(InsertDate, 25)                             \
  X(Import, 26)                                 \
  X(Export, 27)                                 \
  X(ReadingMode, 28)                            \
  X(Bullets, 29)                                \
  X(Indent, 30)                                 \
  X(NewLibrary, 31)                             \
  X(OpenLibrary, 32)                            \
  X(Find, 36)                                   \
  X(Bold, 37)                                   \
  X(Italic, 38)                                 \
  X(Underline, 39)                              \
  X(StrikeOut, 40)                              \
  X(Print, 41)                                  \
  X(InsertDashes, 42)                           \
  X(InsertDoubleDashes, 43)                     \
  /* Alt+1 .. Alt+0: pictures 779 .. 788 */     \
  X(PictureFirst, 44)                           \
  X(PictureLast, 53)                            \
  X(WordWrap, 54)                               \
  X(Options, 58)                                \
  X(Heading1, 61)                               \
  X(Heading2, 62)                               \
  X(Heading3, 63)                               \
  X(Heading4, 64)                               \
  X(NormalStyle, 65)                            \
  X(Maximize, 67)                               \
  X(FocusCycle, 69)                             \
  X(SnapRight, 70)                              \
  X(SnapLeft, 71)                               \
  X(SnapFill, 72)                               \
  X(TitleFormat, 74)                            \
  X(ClipboardSql, 76)                           \
  X(CodeFormat, 77)                             \
  X(Speak, 78)                                  \
  X(HiddenText, 79)                             \
  X(TableReport, 80)                            \
  X(Password, 84)                               \
  X(CloseLibrary, 85)                           \
  X(ConvertLibrary, 86)                         \
  X(DeleteLine, 87)                             \
  X(GreyText, 88)                               \
  X(Execute, 89)                                \
  X(SelectionSql, 90)                           \
  X(Vacuum, 91)                                 \
  X(Save, 92)                                   \
  X(NotesPalette, 93)                           \
  /* Alt+P: reserved, does nothing */           \
  X(Nothing, 94)                                \
  X(Hyperlink, 95)                              \
  /* Page context menu (pop-up 3). */           \
  X(CharEuro, 6010)                             \
  X(CharPlusMinus, 6017)                        \
  X(CharMusicals, 6018)                         \
  X(Cut, 6600)                                  \
  X(Copy, 6601)                                 \
  X(Paste, 6602)                                \
  X(ColorRed, 6604)                             \
  X(ColorGrey, 6608)                            \
  X(ColorReset, 6609)                           \
  X(BackYellow, 6610)                           \
  X(BackReset, 6615)                            \
  X(FontCourier, 6616)                          \
  X(FontReset, 6621)                            \
  X(Size7, 6622)                                \
  X(SizeReset, 6627)                            \
  X(Google, 6628)                               \
  X(FontPalatino, 6629)                         \
  X(FontCantoria, 6630)                         \
  X(Size26, 6631)                               \
  /* Attachment items of pop-up 1: id - 6660 */ \
  /* is the index in the attachment list. */    \
  X(AttachmentFirst, 6660)                      \
  X(AttachmentLast, 8799)                       \
  /* Tree context menu (pop-up 2). */           \
  X(NodeCut, 7700)                              \
  X(NodeCopy, 7701)                             \
  X(NodePaste, 7702)                            \
  X(NodeDelete, 7703)                           \
  X(NewFolder, 7704)                            \
  X(NewBook, 7705)                              \
  X(NodeMoveUp, 7708)                           \
  X(NodeMoveDown, 7709)                         \
  X(NodeFavorite, 7710)                         \
  X(NodeSort, 7711)                             \
  X(NewFile, 7712)                              \
  /* Main menu (pop-up 1). */                   \
  X(MenuImport, 8801)                           \
  X(MenuExport, 8802)                           \
  X(MenuOptions, 8803)                          \
  X(MenuHelp, 8804)                             \
  X(MenuFeedback, 8805)                         \
  X(MenuAbout, 8806)                            \
  X(MenuCloseLibrary, 8807)                     \
  X(MenuPassword, 8808)                         \
  X(MenuEncryptText, 8813)                      \
  X(MenuUpdate, 8814)                           \
  X(MenuDecryptText, 8815)                      \
  /* Show/hide pop-up (pop-up 0): 9901 + i */   \
  /* toggles stripButtonVisible[i]. */          \
  X(ShowButtonFirst, 9901)                      \
  X(ShowButtonLast, 9912)                       \
  X(PasswordButton, 9999)
