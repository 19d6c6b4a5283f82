// Resource identifiers shared by lorewell.rc and the code.
#pragma once

#define IDI_LOREWELL 1

// Message n of the string table is language * 100 + n (40901.. English,
// 41801.. Romanian).
#define LW_STR_EN(n) (40900 + (n))
#define LW_STR_RO(n) (41800 + (n))
