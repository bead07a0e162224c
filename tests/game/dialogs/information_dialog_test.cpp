// The version and system-information dialog: version text, the report with and without
// details, copy to the clipboard, save through an injected save dialog, and the web link with
// its confirmation (ShellExecuteA through a seam).
#include <gtest/gtest.h>

#include <vector>

#include "game/dialogs/information_dialog.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/win_test_env.h"

using testsupport::Click;
using testsupport::DialogDriver;

namespace {

struct Message {
    std::uint8_t kind;
    std::string text;
};

// A dialog context over recording seams; the questions answer as told.
struct InfoFixture {
    DialogHost host;
    InformationDialogContext context;
    std::uint8_t appCfg[2] = {1, 0};
    std::vector<Message> messages;
    std::vector<std::string> opened;
    std::vector<bool> reports;
    std::int32_t answer = 1;
    bool tickBox = false;
    std::string chosenPath;
    std::string offeredFolder, offeredName;
    std::string reportText = "line one\r\nline two";

    InfoFixture() {
        host.title = "空羽";
        context.host = &host;
        context.major = 1;
        context.minor = 2;
        context.build = 0;
        context.confirmWeb = &appCfg[0];
        context.detailed = &appCfg[1];
        context.webAddress = "http://example.invalid/";
        context.report = [this](bool detailed) {
            reports.push_back(detailed);
            return detailed ? reportText + "\r\ndetails" : reportText;
        };
        context.message = [this](HWND, std::uint8_t kind, const char* text, std::uint8_t* flag) {
            messages.push_back({kind, text});
            if (flag != nullptr && (kind == 1 || kind == 3)) *flag = tickBox && answer == 1 ? 1 : 0;
            return kind >= 2 ? answer : 0;
        };
        context.openWeb = [this](HWND, const char* address) { opened.push_back(address); };
        context.documentsFolder = [] { return std::string("C:\\docs"); };
        context.chooseSaveFile = [this](HWND, const char* folder, const char* name) {
            offeredFolder = folder;
            offeredName = name;
            return chosenPath;
        };
    }

    // Runs the dialog with one step, then OK.
    void Run(std::function<void(HWND)> step) {
        DialogDriver driver;
        driver.Then([&](HWND dialog) {
            step(dialog);
            if (IsWindow(dialog)) Click(dialog, IDOK);
            return true;
        });
        EXPECT_TRUE(RunInformationDialog(context, nullptr));
        EXPECT_EQ(0, driver.ForcedClosed());
    }
};

TEST(InformationDialogs, VersionTexts) {
    EXPECT_EQ("Version 1.02 ", VersionText(1, 2, 0));
    EXPECT_EQ("Version 3.10a ", VersionText(3, 10, 0x0A));
}

TEST(InformationDialogs, ShowsVersionAndReportAndTogglesDetails) {
    InfoFixture f;
    f.context.build = 0x1B;
    std::string version, report, detailedReport, caption;
    f.Run([&](HWND dialog) {
        caption = testsupport::WindowText(dialog);
        version = testsupport::ItemText(dialog, kInfoVersion);
        report = testsupport::ItemText(dialog, kInfoReport);
        testsupport::SetChecked(dialog, kInfoDetails, true);
        detailedReport = testsupport::ItemText(dialog, kInfoReport);
    });
    EXPECT_EQ("バージョン情報", caption);
    EXPECT_EQ("Version 1.021b ", version);
    EXPECT_EQ("line one\r\nline two", report);
    EXPECT_EQ("line one\r\nline two\r\ndetails", detailedReport);
    EXPECT_EQ(1, f.appCfg[1]) << "the details choice is kept";
    EXPECT_EQ((std::vector<bool>{false, true}), f.reports);
}

TEST(InformationDialogs, CopiesTheReportToTheClipboard) {
    InfoFixture f;
    f.Run([&](HWND dialog) { Click(dialog, kInfoCopy); });
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_TEXT);
    std::string copied = data != nullptr ? static_cast<const char*>(GlobalLock(data)) : "";
    if (data != nullptr) GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ("line one\r\nline two", copied);
    ASSERT_EQ(1u, f.messages.size());
    EXPECT_EQ(0, f.messages[0].kind);
    EXPECT_EQ("クリップボードにシステム情報をコピーしました。", f.messages[0].text);
}

// The saved file holds the report as shown: the last line too, and lines of any length.
TEST(InformationDialogs, SavesTheReportAsShown) {
    testsupport::TempFolder folder;
    InfoFixture f;
    const std::string longLine(300, 'L');
    f.reportText = "first\r\n" + longLine + "\r\nlast";
    f.chosenPath = folder.File("report.txt");
    f.Run([&](HWND dialog) { Click(dialog, kInfoSave); });
    EXPECT_EQ("C:\\docs", f.offeredFolder);
    EXPECT_EQ("「空羽」システム情報.txt", f.offeredName);
    const std::vector<std::uint8_t> bytes = testsupport::ReadFile(f.chosenPath);
    EXPECT_EQ("first\r\n" + longLine + "\r\nlast\r\n", std::string(bytes.begin(), bytes.end()));
    ASSERT_EQ(1u, f.messages.size());
    EXPECT_EQ("システム情報をファイルに保存しました。", f.messages[0].text);
}

TEST(InformationDialogs, SaveReportsAFileThatCannotBeMade) {
    testsupport::TempFolder folder;
    InfoFixture f;
    f.chosenPath = folder.File("missing\\report.txt");
    f.Run([&](HWND dialog) { Click(dialog, kInfoSave); });
    ASSERT_EQ(1u, f.messages.size());
    EXPECT_EQ("システム情報ファイルの作成に失敗しました。", f.messages[0].text);
}

TEST(InformationDialogs, NoFileChosenSavesNothing) {
    InfoFixture f;
    f.Run([&](HWND dialog) { Click(dialog, kInfoSave); });
    EXPECT_TRUE(f.messages.empty());
}

TEST(ReportFiles, EveryLineEndsInCrLf) {
    EXPECT_EQ("", ReportFileText(""));
    EXPECT_EQ("a\r\n", ReportFileText("a"));
    EXPECT_EQ("a\r\nb\r\n", ReportFileText("a\r\nb\r\n"));
    EXPECT_EQ("a\r\n\r\nb\r\n", ReportFileText("a\r\n\r\nb"));
}

TEST(InformationDialogs, WebLinkAndItsConfirmation) {
    const struct {
        const char* name;
        std::uint8_t confirm;
        std::int32_t answer;
        bool tick;
        bool opened;
        std::uint8_t confirmAfter;
        bool asked;
    } rows[] = {
        {"yes with the box ticked turns the question off", 1, 1, true, true, 0, true},
        {"yes without the box keeps it", 1, 1, false, true, 1, true},
        {"no with the box ticked keeps it", 1, 0, true, false, 1, true},
        {"no question when it is off", 0, 1, false, true, 0, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        InfoFixture f;
        f.appCfg[0] = row.confirm;
        f.answer = row.answer;
        f.tickBox = row.tick;
        f.Run([&](HWND dialog) {
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kInfoPicture, STN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, kInfoPicture)));
        });
        EXPECT_EQ(row.opened ? 1u : 0u, f.opened.size());
        if (row.opened) EXPECT_EQ("http://example.invalid/", f.opened[0]);
        EXPECT_EQ(row.confirmAfter, f.appCfg[0]);
        ASSERT_EQ(row.asked ? 1u : 0u, f.messages.size());
        if (row.asked) {
            EXPECT_EQ(3, f.messages[0].kind);
            EXPECT_EQ("「PALEHERON」のWebページを表示します。\nよろしいですか？", f.messages[0].text);
        }
    }
}

TEST(InformationDialogs, FullScreenClosesAfterTheLink) {
    InfoFixture f;
    f.appCfg[0] = 0;
    f.context.fullScreen = true;
    bool closed = false;
    DialogDriver driver;
    driver.Then([&](HWND dialog) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kInfoPicture, STN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, kInfoPicture)));
        return true;
    });
    EXPECT_TRUE(RunInformationDialog(f.context, nullptr));
    closed = driver.ForcedClosed() == 0;
    EXPECT_TRUE(closed);
    EXPECT_EQ(1u, f.opened.size());
}

// The picture and the link cursor are the program's own resources.
TEST(InformationDialogs, PictureAndCursorsAreResources) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HANDLE bitmap = LoadImageA(instance, MAKEINTRESOURCEA(kBitmapVersion), IMAGE_BITMAP, 0, 0, 0);
    EXPECT_NE(nullptr, bitmap);
    if (bitmap != nullptr) DeleteObject(bitmap);
    for (int id = 120; id <= 123; ++id) {
        SCOPED_TRACE(id);
        EXPECT_NE(nullptr, LoadCursorA(instance, MAKEINTRESOURCEA(id)));
    }
}

}  // namespace
