// GetOpenFileNameW on Qt's file dialog. The dialog runs a nested Qt loop on
// the calling (UI) thread, in which the layer goes on serving messages sent
// from other threads. Paths go out as Windows paths on drive Z:.
#include "kernel/FileDialog.h"

#include "core/Window.h"
#include "kernel/PathMapping.h"

#include <commdlg.h>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <cstddef>
#include <mutex>

namespace winapi {

namespace {

// The full structure on 32-bit Windows; callers may give this size, and
// then no member beyond it is read or written.
constexpr DWORD kNarrowOpenFileNameSize = 88;

thread_local DWORD t_lastError = 0;

std::mutex g_hookMutex;
std::optional<std::string> g_answer;
FileDialogRequest g_lastRequest;

BOOL fail(DWORD error) {
    t_lastError = error;
    return FALSE;
}

// "Text\0*.txt;*.log\0All\0*\0\0" -> "Text (*.txt *.log);;All (*)".
QString qtFilters(LPCWSTR filter, DWORD index, QString* selected) {
    QStringList list;
    LPCWSTR p = filter;
    while (p && *p) {
        QString description = toQString(p);
        p += description.size() + 1;
        if (!*p) break; // a description without its pattern
        QString patterns = toQString(p);
        p += patterns.size() + 1;
        list << description + " (" + patterns.split(';', Qt::SkipEmptyParts).join(' ') + ")";
    }
    if (index >= 1 && index <= static_cast<DWORD>(list.size()))
        *selected = list[static_cast<int>(index - 1)];
    else if (!list.isEmpty())
        *selected = list.first();
    return list.join(";;");
}

} // namespace

void setFileDialogAnswer(std::optional<std::string> linuxPath) {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_answer = std::move(linuxPath);
}

FileDialogRequest lastFileDialogRequest() {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    return g_lastRequest;
}

} // namespace winapi

using namespace winapi;

BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW lpofn) {
    t_lastError = 0;
    if (!lpofn) return fail(CDERR_INITIALIZATION);
    const DWORD size = lpofn->lStructSize;
    if (size != sizeof(OPENFILENAMEW) && size != kNarrowOpenFileNameSize)
        return fail(CDERR_STRUCTSIZE);
    // Whether a member lies inside the structure the caller gave.
    auto has = [size](size_t offset, size_t bytes) { return offset + bytes <= size; };
#define OFN_HAS(member) has(offsetof(OPENFILENAMEW, member), sizeof(lpofn->member))
    if (!lpofn->lpstrFile || lpofn->nMaxFile == 0) return fail(FNERR_INVALIDFILENAME);
    if (!QApplication::instance() || QThread::currentThread() != QApplication::instance()->thread())
        return fail(CDERR_DIALOGFAILURE); // only the UI thread can show a dialog

    const DWORD flags = OFN_HAS(Flags) ? lpofn->Flags : 0;
    const bool mustExist = (flags & OFN_FILEMUSTEXIST) != 0;
    QString title = OFN_HAS(lpstrTitle) && lpofn->lpstrTitle ? toQString(lpofn->lpstrTitle)
                                                             : QStringLiteral("Open");
    QString selectedFilter;
    QString filters = lpofn->lpstrFilter
                          ? qtFilters(lpofn->lpstrFilter, lpofn->nFilterIndex, &selectedFilter)
                          : QString();

    // Start in the initial folder, else beside a file name already in the buffer.
    QString directory;
    QString initialName;
    DWORD ignored = 0;
    if (OFN_HAS(lpstrInitialDir) && lpofn->lpstrInitialDir && *lpofn->lpstrInitialDir) {
        if (auto dir = kernel::linuxPathFromWindows(lpofn->lpstrInitialDir, &ignored))
            directory = QString::fromStdString(*dir);
    }
    std::u16string initial;
    for (DWORD i = 0; i < lpofn->nMaxFile && lpofn->lpstrFile[i]; i++)
        initial += lpofn->lpstrFile[i];
    if (!initial.empty()) {
        if (auto file = kernel::linuxPathFromWindows(initial.c_str(), &ignored)) {
            QFileInfo info(QString::fromStdString(*file));
            if (directory.isEmpty() && info.path() != ".") directory = info.path();
            initialName = info.fileName();
        }
    }
    if (directory.isEmpty()) directory = QDir::currentPath();

    std::optional<std::string> answer;
    {
        std::lock_guard<std::mutex> lock(g_hookMutex);
        g_lastRequest = {title.toStdString(), filters.toStdString(), directory.toStdString(),
                         mustExist};
        answer = g_answer;
    }

    QString chosen;
    int chosenFilter = -1;
    if (answer) {
        chosen = QString::fromStdString(*answer);
    } else {
        QWidget* parent = nullptr;
        if (Window* owner = findWindow(lpofn->hwndOwner))
            parent = owner->frame ? owner->frame.data() : owner->client.data();
        QFileDialog dialog(parent, title, directory, filters);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        if (!selectedFilter.isEmpty()) dialog.selectNameFilter(selectedFilter);
        if (!initialName.isEmpty()) dialog.selectFile(initialName);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            chosen = dialog.selectedFiles().first();
            chosenFilter =
                static_cast<int>(filters.split(";;").indexOf(dialog.selectedNameFilter()));
        }
    }
    if (chosen.isEmpty()) return FALSE; // cancelled: CommDlgExtendedError answers 0

    std::u16string path =
        kernel::windowsPathFromLinux(QFileInfo(chosen).absoluteFilePath().toStdString());
    if (path.size() + 1 > lpofn->nMaxFile) {
        // The first unit tells the size needed, in characters.
        lpofn->lpstrFile[0] = static_cast<WCHAR>(std::min<size_t>(path.size() + 1, 0xFFFF));
        return fail(FNERR_BUFFERTOOSMALL);
    }
    std::copy(path.begin(), path.end(), lpofn->lpstrFile);
    lpofn->lpstrFile[path.size()] = 0;

    size_t nameStart = path.rfind(u'\\') + 1; // a Z: path always holds one
    size_t dot = path.rfind(u'.');
    if (OFN_HAS(nFileOffset)) lpofn->nFileOffset = static_cast<WORD>(nameStart);
    if (OFN_HAS(nFileExtension))
        lpofn->nFileExtension = static_cast<WORD>(
            dot != std::u16string::npos && dot > nameStart ? dot + 1 : path.size());
    if (chosenFilter >= 0) lpofn->nFilterIndex = static_cast<DWORD>(chosenFilter + 1);
    if (OFN_HAS(nMaxFileTitle) && lpofn->lpstrFileTitle && lpofn->nMaxFileTitle > 0) {
        std::u16string name = path.substr(nameStart);
        size_t n = std::min<size_t>(name.size(), lpofn->nMaxFileTitle - 1);
        std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(n),
                  lpofn->lpstrFileTitle);
        lpofn->lpstrFileTitle[n] = 0;
    }
#undef OFN_HAS
    return TRUE;
}

DWORD WINAPI CommDlgExtendedError(void) {
    return t_lastError;
}
