#pragma once

#include "skin/TsuiFileTheme.h"
#include "skin/TsuiThemeBinding.h"
#include "skin/controls/ButtonGlyphLayout.h"
#include "skin/controls/TsuiCustomButton.h"

#include <QPointer>

class QAction;

namespace qv::skin {

// The push button of every skinned window: its face, from the skin's button strip or the
// style's, is stretched to any size as a nine-part grid, with an optional glyph beside the
// caption.
class TsuiButton : public TsuiCustomButton {
    Q_OBJECT
    Q_PROPERTY(qv::skin::TsuiUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(qv::skin::TsuiFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)

public:
    static constexpr QSize kDefaultSize{80, 27};

    explicit TsuiButton(framework::TComponent* owner, QWidget* parent = nullptr);

    TsuiUIStyle UIStyle() const { return binding_.UIStyle(); }
    void SetUIStyle(TsuiUIStyle style);
    TsuiFileTheme* FileTheme() const { return binding_.FileTheme(); }
    void SetFileTheme(TsuiFileTheme* theme);

    // A picture beside the caption; one twice as wide as high holds an enabled and a disabled image.
    const QImage& Glyph() const { return glyph_; }
    void SetGlyph(const QImage& glyph);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout layout);
    // Gap between glyph and caption.
    int Spacing() const { return spacing_; }
    void SetSpacing(int spacing);
    // Kept for layouts that store it: always reads 0, and assignments are ignored.
    unsigned ResHandle() const { return 0; }
    void SetResHandle(unsigned) {}

    // Links an action: its text becomes the caption and its icon fills an empty glyph, as often
    // as they change; it follows the action's enabled state, and a click without a click
    // handler of the button's own triggers it. Not owned.
    QAction* Action() const { return action_; }
    void SetAction(QAction* action);
    void Click() override;

protected:
    QImage Face(TButtonFace face) const override;
    QSize FaceStripSize() const override;
    void DrawFace(QPainter& painter, const QImage& face) override;
    void DrawCaption(QPainter& painter) override;
    void DrawFocus(QPainter& painter) override;
    void Notification(framework::TComponent* component, framework::TOperation operation) override;

private:
    void ApplyStyle();
    void ActionChanged();
    TGlyphPlacement GlyphPlacement() const;

    TsuiThemeBinding binding_;
    QImage faceStrip_;
    QImage glyph_;
    TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
    int spacing_ = 4;
    QPointer<QAction> action_;
    QMetaObject::Connection actionChanges_;
};

} // namespace qv::skin
