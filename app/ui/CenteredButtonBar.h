#pragma once
#include <QPushButton>
#include <QWidget>

namespace Tabrix {

// A bar along the bottom of a window holding one button that stays in its
// middle whenever the bar changes size (left edge: half the bar's width less half
// the button's, fractions dropped).
class CenteredButtonBar : public QWidget {
public:
    CenteredButtonBar(const QString &caption, int height, QWidget *parent)
        : QWidget(parent), m_button(new QPushButton(caption, this))
    {
        setFixedHeight(height);
        m_button->setObjectName(QStringLiteral("btnOK"));
        m_button->setDefault(true);
    }
    QPushButton *button() const { return m_button; }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QWidget::resizeEvent(event);
        m_button->move(width() / 2 - m_button->width() / 2, (height() - m_button->height()) / 2);
    }

private:
    QPushButton *m_button;
};

} // namespace Tabrix
