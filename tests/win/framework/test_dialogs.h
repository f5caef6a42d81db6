// Identifiers of the framework tests' own dialog templates.
#pragma once

#define IDD_TEST 1000
#define IDD_TEST_INNER 1100
#define IDD_TEST_LATIN_FONT 1200
#define IDD_MISSING 1999  // no such template

#define IDC_TEST_EDIT 1001
#define IDC_TEST_LABEL 1002
#define IDC_TEST_OTHER 1003
