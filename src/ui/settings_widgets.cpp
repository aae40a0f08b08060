#include "ui/settings_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimeEdit>
#include <vector>

#include "settings/settings_table.h"
#include "ui/filtered_line_edit.h"

namespace lgcset::ui {

using settings::WidgetKind;
using settings::WidgetRow;

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

namespace {

constexpr int kColumnGap = 10;
// Captions longer than this wrap onto a second line.
struct CaptionWrap {
    std::size_t longerThan;  // characters
    int width;               // pixels of a wrapped caption
};
constexpr CaptionWrap kWideGroupWrap{26, 140};
// The alarm groups share the tab four ways.
constexpr CaptionWrap kNarrowGroupWrap{18, 110};

// Width of an edit box for its length limit: room for the characters it may hold.
int EditWidth(const WidgetRow& def) {
    if (def.kind == WidgetKind::ReadOnlyEdit)
        return 110;
    if (def.maxLength == 0 || def.maxLength <= 4)
        return 64;
    if (def.maxLength <= 8)
        return 76;
    if (def.maxLength <= 20)
        return 132;
    return 190;
}

QWidget* CreateEdit(const WidgetRow& def, QWidget* parent) {
    auto* edit = new FilteredLineEdit(parent);
    if (def.maxLength > 0)
        edit->SetTypingLimit(def.maxLength);
    edit->setReadOnly(def.kind == WidgetKind::ReadOnlyEdit);
    edit->setText(FromUtf8(def.defaultText));
    edit->SetKeyFilter(def.filter);
    edit->setFixedWidth(EditWidth(def));
    return edit;
}

QWidget* CreateList(const WidgetRow& def, QWidget* parent) {
    auto* list = new QComboBox(parent);
    for (const std::string& item : def.items) list->addItem(FromUtf8(item));
    list->setCurrentIndex(def.defaultIndex);
    // A list with no selection still shows its design text.
    list->setPlaceholderText(FromUtf8(def.shownText));
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return list;
}

QWidget* CreateCheck(const WidgetRow& def, QWidget* parent) {
    auto* check = new QCheckBox(FromUtf8(def.checkText), parent);
    check->setChecked(def.defaultChecked);
    return check;
}

QWidget* CreateTime(const WidgetRow& def, QWidget* parent) {
    auto* picker = new QTimeEdit(parent);
    picker->setDisplayFormat(QStringLiteral("HH:mm"));
    picker->setTime(QTime(def.defaultTime.hour, def.defaultTime.minute));
    return picker;
}

// ---- Placement -------------------------------------------------------------------------

// Settings on one line of a group: the first one's caption heads the line, the widgets sit
// side by side, the last one's unit and hint follow.
using Line = std::vector<settings::SettingId>;
using Column = std::vector<Line>;

class GroupPlacer {
  public:
    GroupPlacer(QGroupBox* box, const WidgetsByName& widgets, CaptionWrap wrap = kWideGroupWrap)
        : box_(box), widgets_(widgets), grid_(new QGridLayout(box)), wrap_(wrap) {
        grid_->setHorizontalSpacing(6);
        grid_->setVerticalSpacing(2);
        grid_->setContentsMargins(8, 6, 8, 6);
    }

    // Columns of lines side by side; each column takes two grid columns (caption, then
    // the widgets with their unit and hint) and a gap.
    void PlaceColumns(const std::vector<Column>& columns) {
        int gridColumn = 0;
        int rows = 0;
        for (const Column& column : columns) {
            int row = 0;
            for (const Line& line : column) {
                PlaceHeading(line.front(), row, gridColumn);
                PlaceLine(line, row++, gridColumn);
            }
            rows = std::max(rows, row);
            gridColumn += 3;
            if (&column != &columns.back()) {
                // Spare width goes between the columns.
                grid_->setColumnMinimumWidth(gridColumn - 1, kColumnGap);
                grid_->setColumnStretch(gridColumn - 1, 1);
            }
        }
        grid_->setRowStretch(rows, 1);
    }

    // Repeated rows shown as a table: the first column's caption heads each row, the
    // captions of the other columns head the table once.
    void PlaceTable(const std::vector<Line>& rows) {
        if (rows.empty())
            return;
        for (std::size_t c = 1; c < rows.front().size(); ++c) {
            QLabel* header = Caption(Definition(rows.front()[c]));
            if (header != nullptr)
                grid_->addWidget(header, 0, static_cast<int>(c) + 1);
        }
        int row = 1;
        for (const Line& line : rows) {
            QLabel* caption = Caption(Definition(line.front()));
            if (caption != nullptr)
                grid_->addWidget(caption, row, 0);
            for (std::size_t c = 0; c < line.size(); ++c)
                grid_->addWidget(Widget(line[c]), row, static_cast<int>(c) + 1);
            ++row;
        }
        grid_->setRowStretch(row, 1);
        grid_->setColumnStretch(static_cast<int>(rows.front().size()) + 1, 1);
    }

  private:
    static const WidgetRow& Definition(settings::SettingId id) { return settings::RowOf(id); }
    QWidget* Widget(settings::SettingId id) const { return widgets_.at(settings::WidgetName(id)); }

    // A standalone label of the table ("Threshold:") that heads this widget gets a row
    // of its own above it.
    void PlaceHeading(settings::SettingId id, int& row, int column) {
        for (const auto& label : settings::LayoutLabels()) {
            if (label.before == id) {
                auto* heading = new QLabel(FromUtf8(label.text), box_);
                QFont font = heading->font();
                font.setBold(true);
                heading->setFont(font);
                grid_->addWidget(heading, row++, column, 1, 3);
            }
        }
    }

    void PlaceLine(const Line& line, int row, int column) {
        if (QLabel* caption = Caption(Definition(line.front())))
            grid_->addWidget(caption, row, column);
        auto* fields = new QHBoxLayout;
        fields->setSpacing(6);
        for (const settings::SettingId id : line) fields->addWidget(Widget(id));
        const WidgetRow& last = Definition(line.back());
        if (!last.unit.empty())
            fields->addWidget(new QLabel(FromUtf8(last.unit), box_));
        if (!last.hint.empty()) {
            auto* hint = new QLabel(FromUtf8(last.hint), box_);
            hint->setForegroundRole(QPalette::PlaceholderText);
            fields->addWidget(hint);
        }
        fields->addStretch(1);
        grid_->addLayout(fields, row, column + 1);
    }

    QLabel* Caption(const WidgetRow& def) const {
        QLabel* label = CaptionLabel(def, box_);
        if (label != nullptr && def.caption.size() > wrap_.longerThan) {
            label->setWordWrap(true);
            label->setFixedWidth(wrap_.width);
        }
        return label;
    }

    QGroupBox* box_;
    const WidgetsByName& widgets_;
    QGridLayout* grid_;
    CaptionWrap wrap_;
};

void LayoutSystemGroup(QGroupBox* box, const WidgetsByName& widgets) {
    using S = settings::Setting;
    Column schedules{{S::ReportMode}, {S::ReportNumber}, {S::ReportInterval}};
    for (int k = 1; k <= 4; ++k)
        schedules.push_back({{S::ScheduleEnabled, k}, {S::ScheduleTime, k}});
    GroupPlacer(box, widgets)
        .PlaceColumns({
            {{S::TimeAdjustment},
             {S::SimNumber},
             {S::DevicePassword},
             {S::DeviceId},
             {S::LogInterval},
             {S::GpsEnable},
             {S::PinVerification},
             {S::PinCode}},
            schedules,
            {{S::GprsFailureNumber},
             {S::DialInRelayTime},
             {S::UploadMode},
             {S::UploadTimer},
             {S::UploadTime}},
        });
}

void LayoutNumbersGroup(QGroupBox* box, const WidgetsByName& widgets) {
    using S = settings::Setting;
    std::vector<Line> rows;
    for (int n = 1; n <= settings::kNumberRows; ++n)
        rows.push_back({{S::Number, n}, {S::NumberCode1, n}, {S::NumberCode2, n}});
    GroupPlacer(box, widgets).PlaceTable(rows);
}

void LayoutGprsGroup(QGroupBox* box, const WidgetsByName& widgets) {
    using S = settings::Setting;
    GroupPlacer(box, widgets)
        .PlaceColumns({{{S::ServerAddress},
                        {S::SubServerAddress},
                        {S::ServerPort},
                        {S::Protocol},
                        {S::AccessPointName},
                        {S::GprsUser},
                        {S::GprsPassword}}});
}

void LayoutSensorGroup(QGroupBox* box, int n, const WidgetsByName& widgets) {
    using S = settings::Setting;
    const auto at = [n](S setting) { return Line{{setting, n}}; };
    GroupPlacer(box, widgets, kNarrowGroupWrap)
        .PlaceColumns({
            {at(S::SensorType), at(S::SensorUltraLow), at(S::SensorLow), at(S::SensorHigh),
             at(S::SensorUltraHigh), at(S::SensorAlarmInterval)},
            {at(S::SensorAnalog), at(S::SensorRangeMin), at(S::SensorRangeMax),
             at(S::SensorRelayTime), at(S::SensorStep), at(S::SensorVerifyTime)},
        });
}

}  // namespace

QLabel* CaptionLabel(const WidgetRow& def, QWidget* parent) {
    if (def.caption.empty())
        return nullptr;
    auto* label = new QLabel(FromUtf8(def.caption), parent);
    return label;
}

QWidget* CreateSettingsWidget(const WidgetRow& def, QWidget* parent) {
    QWidget* widget = nullptr;
    switch (def.kind) {
        case WidgetKind::Edit:
        case WidgetKind::ReadOnlyEdit:
            widget = CreateEdit(def, parent);
            break;
        case WidgetKind::List:
            widget = CreateList(def, parent);
            break;
        case WidgetKind::CheckBox:
            widget = CreateCheck(def, parent);
            break;
        case WidgetKind::TimePicker:
            widget = CreateTime(def, parent);
            break;
    }
    widget->setObjectName(FromUtf8(def.name));
    widget->setEnabled(def.enabled);
    return widget;
}

WidgetsByName BuildSettingsGroups(const std::map<std::string, QGroupBox*>& groups) {
    WidgetsByName widgets;
    for (const WidgetRow& def : settings::SettingsTable())
        widgets[def.name] = CreateSettingsWidget(def, groups.at(def.group));

    LayoutSystemGroup(groups.at(std::string(settings::kSystemGroup)), widgets);
    LayoutNumbersGroup(groups.at(std::string(settings::kNumbersGroup)), widgets);
    LayoutGprsGroup(groups.at(std::string(settings::kGprsGroup)), widgets);
    for (int n = 1; n <= settings::kSensorCount; ++n)
        LayoutSensorGroup(groups.at(std::string(settings::SensorGroup(n))), n, widgets);
    return widgets;
}

}  // namespace lgcset::ui
