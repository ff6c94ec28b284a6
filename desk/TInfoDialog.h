#pragma once

#include "platform/gui/TDialog.h"

#include <memory>

class Dib;
class TOwnerDrawPushbutton;

// The about box: the version title as caption, a few lines about the program in light yellow
// on KACHEL1 tiles, and a picture OK button.
class TInfoDialog : public TDialog {
    Q_OBJECT
public:
    explicit TInfoDialog(QWidget* parent);
    ~TInfoDialog() override;

protected:
    void SetupWindow() override;
    void PaintBackground(QPainter& painter) override;
    bool LabelStyle(int id, QColor* textColour) override;

private:
    std::unique_ptr<Dib> m_tile;
    TOwnerDrawPushbutton* m_ok = nullptr;
};
