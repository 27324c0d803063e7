#include "scanner/operator_view/health_strip.h"

#include "shared/platform_widgets/named_control.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>

#include <algorithm>

using platform::named;

namespace {

QColor mark_colour(health_mark mark) {
    switch (mark) {
    case health_mark::green:
        return QColor(0x2e, 0xa0, 0x43);
    case health_mark::amber:
        return QColor(0xe0, 0x9b, 0x13);
    case health_mark::red:
        return QColor(0xd0, 0x2b, 0x2b);
    case health_mark::none:
        break;
    }
    return QColor(0xb0, 0xb0, 0xb0);
}

const char* mark_name(health_mark mark) {
    switch (mark) {
    case health_mark::green:
        return "green";
    case health_mark::amber:
        return "amber";
    case health_mark::red:
        return "red";
    case health_mark::none:
        break;
    }
    return "none";
}

// A filled circle; its property "mark" names the colour for tests.
class mark_dot : public QWidget {
public:
    mark_dot() {
        const int size = fontMetrics().height();
        setFixedSize(size, size);
        set(health_mark::none);
    }
    void set(health_mark mark) {
        colour_ = mark_colour(mark);
        setProperty("mark", QString::fromLatin1(mark_name(mark)));
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(colour_.darker(130));
        painter.setBrush(colour_);
        const int d = std::min(width(), height()) - 4;
        painter.drawEllipse(QRectF((width() - d) / 2.0, (height() - d) / 2.0, d, d));
    }

private:
    QColor colour_;
};

// Text that does not fit its column ends in an ellipsis instead of widening the window.
// A state keeps its start ("error since hh:mm:ss: ..."), a file name its start and end.
class elided_label : public QLabel {
public:
    explicit elided_label(Qt::TextElideMode mode) : mode_(mode) {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        const QRect area = contentsRect();
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(text(), mode_, area.width()));
    }

private:
    Qt::TextElideMode mode_;
};

QLabel* heading(const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

health_strip::health_strip(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("health_strip"));
    setFrameShape(QFrame::StyledPanel);
    grid_ = new QGridLayout(this);
    grid_->setVerticalSpacing(2);
    grid_->setContentsMargins(6, 4, 6, 4);
    grid_->addWidget(heading("Source"), 0, 1);
    grid_->addWidget(heading("State"), 0, 2);
    grid_->addWidget(heading("Last delivery"), 0, 3);
    grid_->addWidget(heading("Records/min"), 0, 4);
    grid_->addWidget(heading("Set aside"), 0, 5);
    grid_->setColumnStretch(2, 4);
    grid_->setColumnStretch(3, 5);
    // Rows sit under their headings however tall the plot beside makes the strip.
    grid_->setRowStretch(max_rows + 1, 1);
}

void health_strip::add_row() {
    if (rows_.size() >= max_rows)
        return;
    const int n = static_cast<int>(rows_.size());
    const auto name = [n](const char* part) { return QStringLiteral("%1_%2").arg(part).arg(n); };
    row r;
    auto* dot = new mark_dot;
    dot->setObjectName(name("health_mark"));
    r.mark = dot;
    r.name = new QLabel;
    r.name->setObjectName(name("health_row"));
    r.state = new elided_label(Qt::ElideRight);
    r.state->setObjectName(name("health_state"));
    r.delivery = new elided_label(Qt::ElideMiddle);
    r.delivery->setObjectName(name("health_delivery"));
    r.rate = new QLabel;
    r.rate->setObjectName(name("health_rate"));
    r.rate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    r.set_aside = new QLabel;
    r.set_aside->setObjectName(name("health_set_aside"));
    r.set_aside->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const int line = n + 1;
    grid_->addWidget(r.mark, line, 0);
    grid_->addWidget(r.name, line, 1);
    grid_->addWidget(r.state, line, 2);
    grid_->addWidget(r.delivery, line, 3);
    grid_->addWidget(r.rate, line, 4);
    grid_->addWidget(r.set_aside, line, 5);
    rows_.push_back(r);
}

void health_strip::show_sources(const std::vector<source_status>& sources, const QDateTime& now) {
    while (rows_.size() < std::min(sources.size(), max_rows))
        add_row();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const row& r = rows_[i];
        const bool shown = i < sources.size();
        for (QWidget* part : {r.mark, static_cast<QWidget*>(r.name), static_cast<QWidget*>(r.state),
                              static_cast<QWidget*>(r.delivery), static_cast<QWidget*>(r.rate),
                              static_cast<QWidget*>(r.set_aside)})
            part->setVisible(shown);
        if (!shown)
            continue;
        const source_status& source = sources[i];
        const source_state state = evaluate(source, now);
        static_cast<mark_dot*>(r.mark)->set(state.mark);
        r.name->setText(source.name);
        r.state->setText(state.text);
        r.state->setToolTip(source.failing ? source.last_error : QString());
        const QString file =
            source.last_file.mid(source.last_file.lastIndexOf(u'/') + 1).section(u'\\', -1);
        r.delivery->setText(source.last_delivery.isValid()
                                ? source.last_delivery.toString(QStringLiteral("HH:mm:ss")) +
                                      QStringLiteral("  ") + file
                                : (source.configured ? QStringLiteral("none yet") : QString()));
        r.delivery->setToolTip(source.last_file);
        r.rate->setText(source.configured && source.index
                            ? QString::number(source.rate, 'f', source.rate < 10 ? 1 : 0)
                            : QString());
        r.set_aside->setText(source.configured && source.index ? QString::number(source.set_aside)
                                                               : QString());
    }
}
