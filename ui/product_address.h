// The vendor's addresses, all on the one host the build is configured with.
#pragma once

// The page opened when the user leaves through the exit button (URL 1).
const char* ProductSiteUrl();
// The product-information page shown in the HTML dialog (URL 2).
const wchar_t* ProductInfoUrl();

// The vendor's web site as the About dialog's link shows it: the bare host.
const char* VendorSiteAddress();
// The same site as the link opens it.
const char* VendorSiteUrl();
