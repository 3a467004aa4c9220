#pragma once
#define IDD_TEST     200
#define IDD_MISSING  299
#define IDC_T_EDIT   300
#define IDC_T_LABEL  301
#define IDC_T_GO     302
