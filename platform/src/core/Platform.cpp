#include "core/Platform.h"

#include "controls/Controls.h"
#include "core/ClassicStyle.h"
#include "core/Accessibility.h"
#include "core/DialogTemplate.h"
#include "core/Input.h"

#include <QApplication>
#include <QFont>

namespace winapi {

void initialize(int& argc, char** argv) {
    if (!QApplication::instance()) {
        auto* app = new QApplication(argc, argv);
        // One clear fixed font for every window and control: the layer's
        // stand-in for the "System" font of the dialogs.
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(12);
        app->setFont(font);
        // Controls drawn the classic Windows way: flat bevels, no gradients.
        // It is also the cheapest style to paint, which counts for the
        // console's scroll bar, repainted as every received line moves it.
        app->setStyle(new ClassicStyle);
        app->setQuitOnLastWindowClosed(false);
    }
    static bool registered = false;
    if (registered) return;
    registered = true;
    registerDialogClass();
    registerStaticClass();
    registerButtonClass();
    registerEditClass();
    registerComboBoxClass();
    registerRichEditClass();
    installInputFilter();
    installAccessibility();
}

} // namespace winapi
