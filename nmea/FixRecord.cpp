#include "ui/display/RestoreDlg.h"

void CRestoreDlg::ResetFix() {
    m_FixText = FixText{};
    for (SatSlot& slot : m_SatTable)
        slot = SatSlot{};
}
