// GetOpenFileNameW: the real Qt dialog driven by a timer, and the structure
// rules (sizes, buffer too small, cancel) through the test answer.
#include "LinkFixture.h"

#include <commdlg.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <fstream>
#include <thread>

using namespace linktest;

namespace {

class FileDialogTest : public LinkTest {
  protected:
    OPENFILENAMEW request(WCHAR* buffer, DWORD size) {
        OPENFILENAMEW ofn = {};
        ofn.lStructSize = sizeof(OPENFILENAMEW);
        ofn.hwndOwner = hMain_;
        ofn.lpstrFilter = u"Log Files(*.pgl)\0*.pgl\0Text\0*.txt;*.log\0";
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = buffer;
        ofn.nMaxFile = size;
        ofn.lpstrTitle = u"WAVE Files";
        ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER;
        return ofn;
    }
    static std::u16string zPath(const std::string& path) {
        std::u16string z = u"Z:" + W(path);
        std::replace(z.begin(), z.end(), u'/', u'\\');
        return z;
    }
};

// Runs `act` from Qt's event loop once `ready` holds (or after 3 s).
void whenReady(std::function<bool()> ready, std::function<void()> act) {
    auto* poll = new QTimer;
    const int64_t end = nowMs() + 3000;
    QObject::connect(poll, &QTimer::timeout, [poll, ready, act, end] {
        if (!ready() && nowMs() < end) return;
        poll->stop();
        poll->deleteLater();
        act();
    });
    poll->start(10);
}

QFileDialog* shownDialog() {
    return qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
}

// Runs `act` on the file dialog once it is showing (null after 3 s).
void whenDialogShows(std::function<void(QFileDialog*)> act) {
    whenReady([] { return shownDialog() != nullptr; }, [act] { act(shownDialog()); });
}

} // namespace

TEST_F(FileDialogTest, TheDialogAnswersAZPathAndServesSentMessagesMeanwhile) {
    const std::string file = dir_ + "/drive.pgl";
    std::ofstream(file) << "$GPGGA,1*00\r\n";

    // While the dialog is up, a reader's line still reaches the main window.
    std::thread reader;
    whenDialogShows([&](QFileDialog* dialog) {
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "WAVE Files");
        EXPECT_EQ(dialog->nameFilters(),
                  QStringList({"Log Files(*.pgl) (*.pgl)", "Text (*.txt *.log)"}));
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        reader = std::thread([this] {
            SendMessageW(hMain_, WMU_SENTENCE, reinterpret_cast<WPARAM>(u"$GPTXT*00\r\n"), 0);
        });
        // The dialog's own loop hands the line over.
        whenReady([this] { return !lines_.empty(); },
                  [dialog, &file, this] {
                      // As typed by the user into the file name field.
                      auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                      if (!name) {
                          ADD_FAILURE() << "no file name field";
                          dialog->reject();
                          return;
                      }
                      name->setText(QString::fromStdString(file));
                      static_cast<QDialog*>(dialog)->accept(); // public in QDialog
                  });
    });
    WCHAR path[MAX_PATH] = {};
    OPENFILENAMEW ofn = request(path, MAX_PATH);
    EXPECT_TRUE(GetOpenFileNameW(&ofn));
    if (reader.joinable()) reader.join();
    EXPECT_EQ(lines_, std::vector<std::u16string>{u"$GPTXT*00\r\n"});
    EXPECT_EQ(std::u16string(path), zPath(file));
    EXPECT_EQ(ofn.nFileOffset, zPath(dir_).size() + 1);
    EXPECT_EQ(std::u16string(path + ofn.nFileExtension), u"pgl");
    EXPECT_EQ(ofn.nFilterIndex, 1u);
    EXPECT_EQ(CommDlgExtendedError(), 0u);

    // Cancelled: FALSE, and no error.
    whenDialogShows([](QFileDialog* dialog) {
        ASSERT_NE(dialog, nullptr);
        dialog->reject();
    });
    path[0] = 0;
    ofn = request(path, MAX_PATH);
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST_F(FileDialogTest, StructureSizesAndTheFileBuffer) {
    const std::string file = dir_ + "/drive.pgl";
    winapi::setFileDialogAnswer(file);
    const std::u16string answer = zPath(file);

    // The buffer must hold the path and its NUL.
    std::vector<WCHAR> exact(answer.size() + 1, 0);
    OPENFILENAMEW ofn = request(exact.data(), static_cast<DWORD>(exact.size()));
    EXPECT_TRUE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(std::u16string(exact.data()), answer);

    std::vector<WCHAR> small(answer.size(), u'#');
    ofn = request(small.data(), static_cast<DWORD>(small.size()));
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
    EXPECT_EQ(small[0], answer.size() + 1); // the size needed, in characters
    EXPECT_EQ(small[1], u'#');              // and nothing written beyond it

    // The 32-bit structure size is accepted; any other size is refused.
    WCHAR path[MAX_PATH] = {};
    ofn = request(path, MAX_PATH);
    ofn.lStructSize = 88;
    EXPECT_TRUE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(std::u16string(path), answer);
    ofn.lStructSize = 76;
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_STRUCTSIZE));

    // An empty answer is a cancel.
    winapi::setFileDialogAnswer("");
    ofn = request(path, MAX_PATH);
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
}
