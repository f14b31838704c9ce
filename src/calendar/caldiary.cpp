#include "calendar/caldiary.h"

#include "calendar/calendaraccessible.h"
#include "calendar/calendargrid.h"
#include "calendar/calendarrange.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>
#include <algorithm>

CalDiary::CalDiary(const QFont &font, QWidget *parent)
    : QWidget(parent)
    , m_value(CalendarRange::Clamp(QDate::currentDate()))
{
    CreateLook(font);
    CreateControls();
    ConnectControls();
    ShowValue();
}

CalDiary::~CalDiary() = default;

int CalDiary::Day() const
{
    return m_value.day();
}

void CalDiary::SetDay(int day)
{
    m_value = QDate(m_value.year(), m_value.month(), std::clamp(day, 1, m_value.daysInMonth()));
    ShowValue();
}

int CalDiary::Month() const
{
    return m_value.month();
}

int CalDiary::Year() const
{
    return m_value.year();
}

QDate CalDiary::Value() const
{
    return m_value;
}

void CalDiary::SetValue(const QDate &date)
{
    // An invalid date names no day to show; the selection stays where it is.
    if (!date.isValid())
        return;
    m_value = CalendarRange::Clamp(date);
    ShowValue();
}

void CalDiary::MarkDays(const QList<int> &days)
{
    for (const int day : days) {
        // A day the displayed month does not have would mark a day of the next month.
        if (day >= 1 && day <= m_value.daysInMonth())
            m_grid->Mark(QDate(m_value.year(), m_value.month(), day));
    }
}

QDate CalDiary::VisibleDays(int index) const
{
    return m_grid->CellDate(index);
}

void CalDiary::Refresh()
{
    m_grid->update();
}

void CalDiary::keyPressEvent(QKeyEvent *event)
{
    const QDate target = KeyTarget(event);
    if (target.isNull()) {
        QWidget::keyPressEvent(event);
        return;
    }
    MoveByUser(target, false);
}

void CalDiary::focusInEvent(QFocusEvent *event)
{
    m_grid->SetFocusShown(true);
    QWidget::focusInEvent(event);
}

void CalDiary::focusOutEvent(QFocusEvent *event)
{
    m_grid->SetFocusShown(false);
    QWidget::focusOutEvent(event);
}

void CalDiary::CreateLook(const QFont &font)
{
    setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    setFont(font);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("カレンダー"));
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void CalDiary::CreateControls()
{
    m_steps = { { { CreateStepButton("BtnPrevYear", QStringLiteral("«"), QStringLiteral("前の年")), -12 },
        { CreateStepButton("BtnPrevMonth", QStringLiteral("<"), QStringLiteral("前の月")), -1 },
        { CreateStepButton("BtnNextMonth", QStringLiteral(">"), QStringLiteral("次の月")), 1 },
        { CreateStepButton("BtnNextYear", QStringLiteral("»"), QStringLiteral("次の年")), 12 } } };
    LblCaption = new QLabel(this);
    LblCaption->setObjectName(QStringLiteral("LblCaption"));
    LblCaption->setAlignment(Qt::AlignCenter);
    QFont captionFont = font();
    captionFont.setBold(true);
    LblCaption->setFont(captionFont);
    m_grid = new CalendarGrid(this);
    CalendarAccessible::Follow(m_grid);

    auto *bar = new QHBoxLayout;
    bar->setSpacing(0);
    bar->addWidget(m_steps[0].button);
    bar->addWidget(m_steps[1].button);
    bar->addWidget(LblCaption, 1);
    bar->addWidget(m_steps[2].button);
    bar->addWidget(m_steps[3].button);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(1);
    layout->addLayout(bar);
    layout->addWidget(m_grid, 1);
}

QToolButton *CalDiary::CreateStepButton(const char *name, const QString &text, const QString &toolTip)
{
    auto *button = new QToolButton(this);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setToolTip(toolTip);
    // A screen reader would read the symbol; the meaning is the button's name.
    button->setAccessibleName(toolTip);
    button->setAutoRaise(true);
    QFont arrowFont = font();
    arrowFont.setPixelSize(13);
    button->setFont(arrowFont);
    // Narrow enough that the caption keeps room for "9999年12月".
    button->setFixedWidth(18);
    // The calendar itself keeps the focus, so its keys keep working after a step.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void CalDiary::ConnectControls()
{
    for (const MonthStep &step : m_steps) {
        connect(step.button, &QToolButton::clicked, this,
            [this, months = step.months] { MoveByUser(m_value.addMonths(months), true); });
    }
    connect(m_grid, &CalendarGrid::DatePressed, this, [this](const QDate &date) { MoveByUser(date, true); });
}

void CalDiary::ShowValue()
{
    const QString caption = CalendarGrid::MonthCaption(m_value);
    LblCaption->setText(caption);
    // Read with the calendar's name when it takes the focus, so the user hears which month is shown.
    setAccessibleDescription(caption);
    for (const MonthStep &step : m_steps)
        step.button->setEnabled(CalendarRange::Contains(m_value.addMonths(step.months)));
    m_grid->ShowDate(m_value);
}

void CalDiary::MoveByUser(const QDate &date, bool clicked)
{
    if (!CalendarRange::Contains(date))
        return;
    const bool monthChanged = date.year() != m_value.year() || date.month() != m_value.month();
    if (date != m_value) {
        m_value = date;
        ShowValue();
        emit SelectionChanged(date);
    }
    // A move to another month counts as a click also from the keyboard, so the month just
    // shown gets its marks like one reached with the mouse.
    if (clicked || monthChanged)
        emit Clicked();
}

QDate CalDiary::KeyTarget(const QKeyEvent *event) const
{
    const bool byYear = event->modifiers().testFlag(Qt::ControlModifier);
    switch (event->key()) {
    case Qt::Key_Left:
        return m_value.addDays(-1);
    case Qt::Key_Right:
        return m_value.addDays(1);
    case Qt::Key_Up:
        return m_value.addDays(-CalendarRange::ColumnCount);
    case Qt::Key_Down:
        return m_value.addDays(CalendarRange::ColumnCount);
    case Qt::Key_PageUp:
        return byYear ? m_value.addYears(-1) : m_value.addMonths(-1);
    case Qt::Key_PageDown:
        return byYear ? m_value.addYears(1) : m_value.addMonths(1);
    case Qt::Key_Home:
        return QDate(m_value.year(), m_value.month(), 1);
    case Qt::Key_End:
        return QDate(m_value.year(), m_value.month(), m_value.daysInMonth());
    default:
        return {};
    }
}
