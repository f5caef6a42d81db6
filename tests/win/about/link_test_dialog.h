// Identifiers of the link tests' own dialog: statics of each alignment to attach links to.
#pragma once

#define IDD_LINK_TEST 900

#define IDC_LINK_EMPTY 901
#define IDC_LINK_LEFT 902
#define IDC_LINK_CENTER 903
#define IDC_LINK_RIGHT 904
#define IDC_LINK_NARROW_CENTER 905
#define IDC_LINK_SIMPLE 906
#define IDC_LINK_CENTER_IMAGE 907
