// The program's resources as the running program finds them: every dialog template
// parsed from the image and checked for what the windows depend on, the dialogs created
// from those templates, the icons, the banner, the manifest and the version information.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <cwctype>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "lockmere_version.h"
#include "resource.h"

namespace {

// ---------------------------------------------------------------------------------------
// Template parsing

struct DialogItem {
    int id = 0;
    std::wstring cls;     // ordinal classes are given their names: Button, Edit, Static, ...
    std::wstring text;
    int textOrdinal = -1; // a resource number in place of the text (pictures)
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD style = 0, exStyle = 0;
};

struct DialogTemplate {
    bool extended = false;
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0;
    std::wstring face;
    std::vector<DialogItem> items;
};

// Reads a resource's bytes; every read is checked against the resource's size.
class Reader {
public:
    Reader(const BYTE* data, size_t size) : data_(data), size_(size) {}

    WORD Word() { return Read<WORD>(); }
    DWORD Dword() { return Read<DWORD>(); }
    short Short() { return Read<short>(); }
    BYTE Byte() { return Read<BYTE>(); }

    std::wstring String() {
        std::wstring s;
        for (WORD c = Word(); c != 0; c = Word()) s.push_back(static_cast<wchar_t>(c));
        return s;
    }

    // A name or an ordinal: 0 = none, 0xFFFF + number = ordinal, else a string.
    std::wstring NameOrOrdinal(int* ordinal) {
        WORD first = Word();
        *ordinal = -1;
        if (first == 0) return {};
        if (first == 0xFFFF) {
            *ordinal = Word();
            return {};
        }
        std::wstring s(1, static_cast<wchar_t>(first));
        s += String();
        return s;
    }

    void Align(size_t n) { pos_ = (pos_ + n - 1) / n * n; }
    void Skip(size_t n) {
        Need(n);
        pos_ += n;
    }

private:
    template <typename T>
    T Read() {
        Need(sizeof(T));
        T v;
        std::memcpy(&v, data_ + pos_, sizeof(T));
        pos_ += sizeof(T);
        return v;
    }
    void Need(size_t n) const {
        if (pos_ + n > size_) throw std::runtime_error("template ends early");
    }

    const BYTE* data_;
    size_t size_;
    size_t pos_ = 0;
};

std::wstring ClassFromOrdinal(int ordinal) {
    switch (ordinal) {
    case 0x80: return L"Button";
    case 0x81: return L"Edit";
    case 0x82: return L"Static";
    case 0x83: return L"ListBox";
    case 0x84: return L"ScrollBar";
    case 0x85: return L"ComboBox";
    default: return L"#" + std::to_wstring(ordinal);
    }
}

std::pair<const BYTE*, size_t> ResourceBytes(LPCWSTR name, LPCWSTR type) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, name, type);
    if (!found) return {nullptr, 0};
    HGLOBAL loaded = LoadResource(self, found);
    if (!loaded) return {nullptr, 0};
    return {static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(self, found)};
}

// Both layouts: the classic DLGTEMPLATE and the extended one (signature 0xFFFF).
DialogTemplate ParseDialog(const BYTE* data, size_t size) {
    Reader r(data, size);
    DialogTemplate t;
    WORD first = r.Word(), second = r.Word();
    t.extended = first == 1 && second == 0xFFFF;
    if (t.extended) {
        r.Dword(); // help id
        t.exStyle = r.Dword();
        t.style = r.Dword();
    } else {
        t.style = MAKELONG(first, second);
        t.exStyle = r.Dword();
    }
    WORD count = r.Word();
    t.x = r.Short();
    t.y = r.Short();
    t.cx = r.Short();
    t.cy = r.Short();
    int ordinal;
    if (!r.NameOrOrdinal(&ordinal).empty() || ordinal != -1)
        throw std::runtime_error("a dialog of the program has no menu");
    if (!r.NameOrOrdinal(&ordinal).empty() || ordinal != -1)
        throw std::runtime_error("a dialog of the program uses the standard dialog class");
    t.caption = r.String();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.Word();
        if (t.extended) {
            r.Word(); // weight
            r.Byte(); // italic
            r.Byte(); // character set
        }
        t.face = r.String();
    }
    for (WORD i = 0; i < count; ++i) {
        r.Align(4);
        DialogItem item;
        if (t.extended) {
            r.Dword(); // help id
            item.exStyle = r.Dword();
            item.style = r.Dword();
        } else {
            item.style = r.Dword();
            item.exStyle = r.Dword();
        }
        item.x = r.Short();
        item.y = r.Short();
        item.cx = r.Short();
        item.cy = r.Short();
        if (t.extended) {
            item.id = static_cast<int>(r.Dword());
        } else {
            item.id = r.Word();
        }
        item.cls = r.NameOrOrdinal(&ordinal);
        if (ordinal != -1) item.cls = ClassFromOrdinal(ordinal);
        item.text = r.NameOrOrdinal(&item.textOrdinal);
        WORD extra = r.Word();
        r.Skip(extra);
        t.items.push_back(item);
    }
    return t;
}

std::optional<DialogTemplate> LoadDialog(int id) {
    auto [data, size] = ResourceBytes(MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    if (!data) return std::nullopt;
    return ParseDialog(data, size);
}

bool SameClass(const std::wstring& a, const std::wstring& b) {
    // Window class names compare without regard to case; resource compilers differ in
    // whether they keep it.
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return true;
}

std::string Narrow(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

// ---------------------------------------------------------------------------------------
// What the program relies on in each template: the caption that prompts and message
// boxes are found by, and its controls with ids, in tab order, of the classes the code
// wraps them in, with the styles that the code or the user depends on. Positions, fonts
// and the fixed texts are the resource script's business.

struct ExpectedItem {
    int id;
    const wchar_t* cls;
    DWORD styleMask = 0, style = 0;  // the bits that matter
};

struct ExpectedDialog {
    int id;
    const char* caption;
    std::vector<ExpectedItem> items;
};

constexpr DWORD kShownTabStop = WS_VISIBLE | WS_TABSTOP;

std::vector<ExpectedDialog> ExpectedDialogs() {
    const ExpectedItem password = {IDC_PASSWORD, L"Edit", kShownTabStop | ES_PASSWORD, kShownTabStop | ES_PASSWORD};
    return {
        {IDD_FILE_BROWSER, "Lockmere",
         {
             {IDOK, L"Button", kShownTabStop | BS_TYPEMASK, kShownTabStop | BS_DEFPUSHBUTTON},
             {ID_HELP, L"Button"},
             // The shell's image lists are shared: the list must not destroy them.
             {IDC_FILE_LIST, L"SysListView32", LVS_SINGLESEL | LVS_SHAREIMAGELISTS | LVS_TYPEMASK,
              LVS_SHAREIMAGELISTS | LVS_SMALLICON},
             {IDC_PATH_LABEL, L"Static"},
             {IDC_FILE_TYPE, L"ComboBox", WS_VISIBLE, 0},
             {IDC_DRIVE, L"ComboBoxEx32", WS_VISIBLE | CBS_DROPDOWNLIST, WS_VISIBLE | CBS_DROPDOWNLIST},
             {IDC_BACK, L"Button"},
         }},
        {IDD_ABOUTBOX, "Lockmere",
         {
             {IDOK, L"Button", kShownTabStop | BS_TYPEMASK, kShownTabStop | BS_DEFPUSHBUTTON},
             {IDC_VENDOR_LINK, L"Static", WS_VISIBLE, WS_VISIBLE},
         }},
        {IDD_PROGRESS, "Lockmere",
         {
             {IDC_PROGRESS_NAME, L"Static"},
             {IDC_PROGRESS_BAR, L"msctls_progress32"},
             {IDC_PROGRESS_TEXT, L"Static"},
             {IDC_PROGRESS_SPEED, L"Static"},
             {IDC_PROGRESS_BATCH, L"Static"},
             {IDC_PROGRESS_TOTAL, L"msctls_progress32"},
             // Esc and the close box reach Cancel through its id.
             {IDCANCEL, L"Button", kShownTabStop, kShownTabStop},
         }},
        {IDD_ENCRYPT_PASSWORD, "Lockmere",
         {
             {IDOK, L"Button", kShownTabStop | BS_TYPEMASK, kShownTabStop | BS_DEFPUSHBUTTON},
             {IDCANCEL, L"Button"},
             password,
             {IDC_RETYPE, L"Edit", password.styleMask, password.style},
             {IDC_STRENGTH, L"Static"},
             {IDC_STRONG, L"Button", kShownTabStop | BS_TYPEMASK, kShownTabStop | BS_AUTOCHECKBOX},
             {IDC_GENERATE, L"Button", kShownTabStop, kShownTabStop},
             {IDC_STRONG_NOTE, L"Static"},
             {IDC_WHOLE_TREE, L"Button", kShownTabStop | BS_TYPEMASK, kShownTabStop | BS_AUTOCHECKBOX},
         }},
        {IDD_DECRYPT_PASSWORD, "Lockmere",
         {
             {IDOK, L"Button", kShownTabStop | BS_TYPEMASK, kShownTabStop | BS_DEFPUSHBUTTON},
             {IDCANCEL, L"Button"},
             password,
             {IDC_WHOLE_TREE, L"Button", kShownTabStop | BS_TYPEMASK, kShownTabStop | BS_AUTOCHECKBOX},
         }},
    };
}

// The classic layout stores ids in 16 bits, so "no id" (-1) reads back as 0xFFFF.
int NormalId(int id) { return id == 0xFFFF ? -1 : id; }

std::string Hex(DWORD v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08lx", static_cast<unsigned long>(v));
    return buf;
}

// ---------------------------------------------------------------------------------------
// Templates

TEST(DialogTemplates, HoldTheControlsTheCodeUsesInTabOrder) {
    for (const ExpectedDialog& want : ExpectedDialogs()) {
        SCOPED_TRACE("dialog " + std::to_string(want.id));
        std::optional<DialogTemplate> got = LoadDialog(want.id);
        ASSERT_TRUE(got) << "no RT_DIALOG resource";
        EXPECT_EQ(Narrow(got->caption), want.caption);

        std::vector<const DialogItem*> withIds;
        for (const DialogItem& item : got->items)
            if (NormalId(item.id) != -1) withIds.push_back(&item);
        ASSERT_EQ(withIds.size(), want.items.size());
        for (size_t i = 0; i < want.items.size(); ++i) {
            const ExpectedItem& w = want.items[i];
            const DialogItem& g = *withIds[i];
            SCOPED_TRACE("control #" + std::to_string(i) + " (id " + std::to_string(w.id) + ")");
            EXPECT_EQ(g.id, w.id);
            EXPECT_TRUE(SameClass(g.cls, w.cls)) << Narrow(g.cls);
            EXPECT_EQ(Hex(g.style & w.styleMask), Hex(w.style));
        }
    }
}

TEST(DialogTemplates, TheFirstTabStopIsTheDefaultButton) {
    // Enter right after a password dialog opens accepts it, and the main window starts
    // with the focus on its exit button: the first tab stop must be the default button.
    for (int id : {IDD_FILE_BROWSER, IDD_ABOUTBOX, IDD_ENCRYPT_PASSWORD, IDD_DECRYPT_PASSWORD}) {
        SCOPED_TRACE("dialog " + std::to_string(id));
        std::optional<DialogTemplate> t = LoadDialog(id);
        ASSERT_TRUE(t);
        const DialogItem* first = nullptr;
        int defaults = 0;
        for (const DialogItem& item : t->items) {
            if (!first && (item.style & WS_TABSTOP) && (item.style & WS_VISIBLE)) first = &item;
            if (SameClass(item.cls, L"Button") && (item.style & 0xF) == BS_DEFPUSHBUTTON) ++defaults;
        }
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->id, IDOK);
        EXPECT_EQ(first->style & 0xF, static_cast<DWORD>(BS_DEFPUSHBUTTON));
        EXPECT_EQ(defaults, 1);
    }
}

// ---------------------------------------------------------------------------------------
// Dialogs created from the templates

INT_PTR CALLBACK QuietProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

std::wstring WindowText(HWND w) {
    wchar_t buf[512] = {};
    GetWindowTextW(w, buf, 512);
    return buf;
}

std::wstring ClassOf(HWND w) {
    wchar_t buf[256] = {};
    GetClassNameW(w, buf, 256);
    std::wstring s = buf;
    // Classes of the version 6 common controls may carry their assembly's version.
    size_t bang = s.rfind(L'!');
    return bang == std::wstring::npos ? s : s.substr(bang + 1);
}

class CreatedDialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                                    ICC_USEREX_CLASSES | ICC_PROGRESS_CLASS};
        ASSERT_TRUE(InitCommonControlsEx(&icc));
    }
};

TEST_F(CreatedDialogs, EveryControlExistsWithItsClass) {
    // A class name the system does not know makes creation fail; the caption reads back
    // through the wide functions.
    for (const ExpectedDialog& want : ExpectedDialogs()) {
        SCOPED_TRACE("dialog " + std::to_string(want.id));
        HWND dlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(want.id), nullptr,
                                      QuietProc, 0);
        ASSERT_NE(dlg, nullptr) << "error " << GetLastError();
        EXPECT_EQ(Narrow(WindowText(dlg)), want.caption);
        for (const ExpectedItem& w : want.items) {
            SCOPED_TRACE("control " + std::to_string(w.id));
            HWND child = GetDlgItem(dlg, w.id);
            ASSERT_NE(child, nullptr);
            EXPECT_TRUE(SameClass(ClassOf(child), w.cls)) << Narrow(ClassOf(child));
        }
        DestroyWindow(dlg);
    }
}

TEST_F(CreatedDialogs, TheAboutPictureShowsTheBanner) {
    HWND dlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUTBOX), nullptr,
                                  QuietProc, 0);
    ASSERT_NE(dlg, nullptr);
    HWND picture = nullptr;
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) picture = c;
    ASSERT_NE(picture, nullptr);
    HBITMAP shown = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(shown, nullptr) << "the picture control found no bitmap 137";
    BITMAP bm = {};
    ASSERT_TRUE(GetObjectW(shown, sizeof bm, &bm));

    // The control takes the bitmap's size. At whatever font the system substitutes, the
    // banner must stay inside the dialog and clear of every other control.
    RECT pic, client;
    GetWindowRect(picture, &pic);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&pic), 2);
    GetClientRect(dlg, &client);
    EXPECT_EQ(pic.right - pic.left, bm.bmWidth);
    EXPECT_EQ(pic.bottom - pic.top, bm.bmHeight);
    EXPECT_LE(pic.right, client.right);
    EXPECT_LE(pic.bottom, client.bottom);
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (c == picture) continue;
        RECT other, overlap;
        GetWindowRect(c, &other);
        MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&other), 2);
        EXPECT_FALSE(IntersectRect(&overlap, &pic, &other)) << Narrow(WindowText(c));
    }
    DestroyWindow(dlg);
}

// ---------------------------------------------------------------------------------------
// Icons and bitmap

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

// Each icon holds 16, 32 and 48 px images in 16 colours and a 256 px PNG, and the
// system picks the image of the size asked for.
TEST(Images, EachIconHoldsFourSizes) {
    for (int id : {IDI_PROGRAM, IDI_ENCRYPTED_FILE}) {
        SCOPED_TRACE("icon " + std::to_string(id));
        auto [group, groupSize] = ResourceBytes(MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14));
        ASSERT_NE(group, nullptr) << "no RT_GROUP_ICON resource";
        WORD header[3];
        ASSERT_GE(groupSize, sizeof header);
        std::memcpy(header, group, sizeof header);
        EXPECT_EQ(header[1], 1); // icons, not cursors
        ASSERT_EQ(groupSize, 6 + header[2] * sizeof(GroupIconEntry));
        std::vector<int> sizes;
        for (int n = 0; n < header[2]; ++n) {
            GroupIconEntry entry;
            std::memcpy(&entry, group + 6 + n * sizeof entry, sizeof entry);
            const int size = entry.width == 0 ? 256 : entry.width;
            SCOPED_TRACE("size " + std::to_string(size));
            sizes.push_back(size);
            EXPECT_EQ(entry.height, entry.width);
            auto [image, imageSize] = ResourceBytes(MAKEINTRESOURCEW(entry.id), MAKEINTRESOURCEW(3));
            ASSERT_NE(image, nullptr) << "no RT_ICON " << entry.id;
            if (size == 256) {
                static const BYTE kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
                ASSERT_GE(imageSize, 24u);
                EXPECT_EQ(std::memcmp(image, kPng, sizeof kPng), 0) << "not a PNG";
                EXPECT_EQ(entry.bitCount, 32);
                continue;
            }
            EXPECT_EQ(entry.colorCount, 16);
            EXPECT_EQ(entry.bitCount, 4);
            const size_t colourRow = (size * 4 + 31) / 32 * 4, maskRow = (size + 31) / 32 * 4;
            ASSERT_GE(imageSize, sizeof(BITMAPINFOHEADER) + 16 * 4 + size * (colourRow + maskRow));
            BITMAPINFOHEADER bih;
            std::memcpy(&bih, image, sizeof bih);
            EXPECT_EQ(bih.biWidth, size);
            EXPECT_EQ(bih.biHeight, 2 * size); // colour rows and mask rows
            EXPECT_EQ(bih.biBitCount, 4);

            // The picture is neither blank nor a full square: the mask has both kinds of pixel.
            const BYTE* mask = image + sizeof bih + 16 * 4 + size * colourRow;
            int transparent = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) transparent += (mask[y * maskRow + x / 8] >> (7 - x % 8)) & 1;
            EXPECT_GT(transparent, size);
            EXPECT_LT(transparent, size * size * 4 / 5);
        }
        EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48, 256}));

        for (int size : sizes) {
            SCOPED_TRACE("loaded at " + std::to_string(size));
            HICON icon = static_cast<HICON>(
                LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
            ASSERT_NE(icon, nullptr);
            ICONINFO info = {};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP bm = {};
            ASSERT_TRUE(GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm));
            EXPECT_EQ(bm.bmWidth, size);
            EXPECT_EQ(bm.bmHeight, info.hbmColor ? size : 2 * size);
            if (info.hbmColor) DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
}

TEST(Images, TheBannerLoads) {
    HBITMAP banner = static_cast<HBITMAP>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_BANNER), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(banner, nullptr);
    BITMAP bm = {};
    ASSERT_TRUE(GetObjectW(banner, sizeof bm, &bm));
    EXPECT_GT(bm.bmWidth, 3 * bm.bmHeight) << "a banner is wide";
    EXPECT_GE(bm.bmBitsPixel, 4);
    DeleteObject(banner);
}

// ---------------------------------------------------------------------------------------
// Manifest and version information

TEST(Manifest, AsksForCommonControls6AndNamesTheSupportedSystems) {
    auto [data, size] = ResourceBytes(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */);
    ASSERT_NE(data, nullptr) << "no manifest with id 1";
    std::string xml(reinterpret_cast<const char*>(data), size);
    EXPECT_NE(xml.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(xml.find("publicKeyToken=\"6595b64144ccf1df\""), std::string::npos);
    EXPECT_NE(xml.find("level=\"asInvoker\""), std::string::npos);
    for (const char* os : {"35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                           "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(xml.find(os), std::string::npos) << os;
}

// The value of one string of the version block: key, padding to 32 bits, value.
std::wstring VersionString(const BYTE* data, size_t size, const wchar_t* key) {
    std::wstring all(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
    std::wstring needle = key;
    needle.push_back(L'\0');
    size_t at = all.find(needle);
    if (at == std::wstring::npos) return {};
    size_t value = at + needle.size();
    if (value % 2) ++value; // 32-bit alignment from the block's start, in wide characters
    size_t end = all.find(L'\0', value);
    return all.substr(value, end == std::wstring::npos ? std::wstring::npos : end - value);
}

TEST(VersionInfo, CarriesTheProjectVersionAndProductName) {
    auto [data, size] = ResourceBytes(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16) /* RT_VERSION */);
    ASSERT_NE(data, nullptr);
    const DWORD signature = 0xFEEF04BD;
    const BYTE* fixed = nullptr;
    for (size_t i = 0; i + sizeof(VS_FIXEDFILEINFO) <= size; i += 4)
        if (std::memcmp(data + i, &signature, 4) == 0) {
            fixed = data + i;
            break;
        }
    ASSERT_NE(fixed, nullptr);
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, fixed, sizeof info);
    EXPECT_EQ(info.dwFileVersionMS, static_cast<DWORD>(MAKELONG(LOCKMERE_VERSION_MINOR, LOCKMERE_VERSION_MAJOR)));
    EXPECT_EQ(info.dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, LOCKMERE_VERSION_PATCH)));
    EXPECT_EQ(info.dwProductVersionMS, info.dwFileVersionMS);
    EXPECT_EQ(info.dwFileType, static_cast<DWORD>(VFT_APP));

    EXPECT_EQ(Narrow(VersionString(data, size, L"ProductName")), "Lockmere");
    EXPECT_EQ(Narrow(VersionString(data, size, L"FileVersion")), LOCKMERE_VERSION_STRING);
    EXPECT_EQ(Narrow(VersionString(data, size, L"OriginalFilename")), "Lockmere.exe");
    EXPECT_FALSE(VersionString(data, size, L"FileDescription").empty());
}

} // namespace
