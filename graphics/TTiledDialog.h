#pragma once

#include "platform/gui/TDialog.h"

#include <QColor>

#include <memory>
#include <optional>

class Dib;

// A dialog whose client area is covered with a tile picture and whose labels stand on it
// transparently, in their own colour or in the one given.
class TTiledDialog : public TDialog {
    Q_OBJECT
public:
    static inline const QColor kLightYellow{255, 255, 0};

    TTiledDialog(QWidget* parent, ResId templ, const char* tile,
                 std::optional<QColor> labelColour = std::nullopt);
    ~TTiledDialog() override;

protected:
    void PaintBackground(QPainter& painter) override;
    bool LabelStyle(int id, QColor* textColour) override;

private:
    std::unique_ptr<Dib> m_tile;
    std::optional<QColor> m_labelColour;
};
