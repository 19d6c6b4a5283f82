// Resource identifiers shared by lorewell.rc and the code. Plain macros, so
// that both the resource compiler and the portable core can read them; the
// command ids equal the CommandId values of app/commands.h (checked there).
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

// Command ids.
#define IDM_MOVE_NODE_UP 17
#define IDM_MOVE_NODE_DOWN 18
#define IDM_MINIMIZE 20
#define IDM_HELP 21
#define IDM_RENAME_NODE 22
#define IDM_FIND_NEXT 23
#define IDM_FIND_PREVIOUS 24
#define IDM_INSERT_DATE 25
#define IDM_IMPORT 26
#define IDM_EXPORT 27
#define IDM_READING_MODE 28
#define IDM_BULLETS 29
#define IDM_INDENT 30
#define IDM_NEW_LIBRARY 31
#define IDM_OPEN_LIBRARY 32
#define IDM_FIND 36
#define IDM_BOLD 37
#define IDM_ITALIC 38
#define IDM_UNDERLINE 39
#define IDM_STRIKE_OUT 40
#define IDM_PRINT 41
#define IDM_INSERT_DASHES 42
#define IDM_INSERT_DOUBLE_DASHES 43
#define IDM_PICTURE_FIRST 44
#define IDM_PICTURE_LAST 53
#define IDM_WORD_WRAP 54
#define IDM_OPTIONS 58
#define IDM_HEADING_1 61
#define IDM_HEADING_2 62
#define IDM_HEADING_3 63
#define IDM_HEADING_4 64
#define IDM_NORMAL_STYLE 65
#define IDM_MAXIMIZE 67
#define IDM_FOCUS_CYCLE 69
#define IDM_SNAP_RIGHT 70
#define IDM_SNAP_LEFT 71
#define IDM_SNAP_FILL 72
#define IDM_TITLE_FORMAT 74
#define IDM_CLIPBOARD_SQL 76
#define IDM_CODE_FORMAT 77
#define IDM_SPEAK 78
#define IDM_HIDDEN_TEXT 79
#define IDM_TABLE_REPORT 80
#define IDM_PASSWORD 84
#define IDM_CLOSE_LIBRARY 85
#define IDM_CONVERT_LIBRARY 86
#define IDM_DELETE_LINE 87
#define IDM_GREY_TEXT 88
#define IDM_EXECUTE 89
#define IDM_SELECTION_SQL 90
#define IDM_VACUUM 91
#define IDM_SAVE 92
#define IDM_NOTES_PALETTE 93
#define IDM_NOTHING 94
#define IDM_HYPERLINK 95
#define IDM_CHAR_EURO 6010
#define IDM_CHAR_PLUS_MINUS 6017
#define IDM_CHAR_MUSICALS 6018
#define IDM_CUT 6600
#define IDM_COPY 6601
#define IDM_PASTE 6602
#define IDM_COLOR_RED 6604
#define IDM_COLOR_GREY 6608
#define IDM_COLOR_RESET 6609
#define IDM_BACK_YELLOW 6610
#define IDM_BACK_RESET 6615
#define IDM_FONT_COURIER 6616
#define IDM_FONT_RESET 6621
#define IDM_SIZE_7 6622
#define IDM_SIZE_RESET 6627
#define IDM_GOOGLE 6628
#define IDM_FONT_PALATINO 6629
#define IDM_FONT_CANTORIA 6630
#define IDM_SIZE_26 6631
#define IDM_ATTACHMENT_FIRST 6660
#define IDM_ATTACHMENT_LAST 8799
#define IDM_NODE_CUT 7700
#define IDM_NODE_COPY 7701
#define IDM_NODE_PASTE 7702
#define IDM_NODE_DELETE 7703
#define IDM_NEW_FOLDER 7704
#define IDM_NEW_BOOK 7705
#define IDM_NODE_MOVE_UP 7708
#define IDM_NODE_MOVE_DOWN 7709
#define IDM_NODE_FAVORITE 7710
#define IDM_NODE_SORT 7711
#define IDM_NEW_FILE 7712
#define IDM_MENU_IMPORT 8801
#define IDM_MENU_EXPORT 8802
#define IDM_MENU_OPTIONS 8803
#define IDM_MENU_HELP 8804
#define IDM_MENU_FEEDBACK 8805
#define IDM_MENU_ABOUT 8806
#define IDM_MENU_CLOSE_LIBRARY 8807
#define IDM_MENU_PASSWORD 8808
#define IDM_MENU_ENCRYPT_TEXT 8813
#define IDM_MENU_UPDATE 8814
#define IDM_MENU_DECRYPT_TEXT 8815
#define IDM_SHOW_BUTTON_FIRST 9901
#define IDM_SHOW_BUTTON_LAST 9912
#define IDM_PASSWORD_BUTTON 9999
