// The tree of a form: values and their blocks.
#include "grid/FormStream.h"

namespace quillary {

struct TFormValue::TParts {
    QStringList Names;
    std::vector<qint64> Numbers;
    std::vector<int> NumberLines;
    std::vector<TFormValue> Items; // once an element is not an integer
    std::vector<TFormItem> Elements;
    QByteArray Data;
};

TFormValue::TFormValue() = default;
TFormValue::TFormValue(TFormValue&& other) noexcept = default;
TFormValue& TFormValue::operator=(TFormValue&& other) noexcept = default;
TFormValue::~TFormValue() = default;

TFormValue::TFormValue(const TFormValue& other)
    : Kind(other.Kind), Line(other.Line), Int(other.Int), Float(other.Float), Text(other.Text),
      m_parts(other.m_parts ? std::make_unique<TParts>(*other.m_parts) : nullptr) {}

TFormValue& TFormValue::operator=(const TFormValue& other) {
    if (this != &other) *this = TFormValue(other);
    return *this;
}

TFormValue::TParts& TFormValue::Parts() {
    if (!m_parts) m_parts = std::make_unique<TParts>();
    return *m_parts;
}

const TFormValue::TParts& TFormValue::NoParts() {
    static const TParts none;
    return none;
}

const QStringList& TFormValue::Names() const {
    return m_parts ? m_parts->Names : NoParts().Names;
}
QStringList& TFormValue::Names() {
    return Parts().Names;
}
qsizetype TFormValue::ItemCount() const {
    if (!m_parts) return 0;
    return qsizetype(m_parts->Numbers.size() + m_parts->Items.size());
}

TFormValue TFormValue::Item(qsizetype index) const {
    const TParts& parts = m_parts ? *m_parts : NoParts();
    if (!parts.Numbers.empty()) {
        TFormValue v = Integer(parts.Numbers.at(std::size_t(index)));
        v.Line = parts.NumberLines.at(std::size_t(index));
        return v;
    }
    return parts.Items.at(std::size_t(index));
}

void TFormValue::AppendItem(TFormValue item) {
    TParts& parts = Parts();
    if (item.Kind == TKind::Integer && parts.Items.empty()) {
        parts.Numbers.push_back(item.Int);
        parts.NumberLines.push_back(item.Line);
        return;
    }
    if (!parts.Numbers.empty()) {
        parts.Items.reserve(parts.Numbers.size() + 1);
        for (std::size_t i = 0; i < parts.Numbers.size(); ++i) {
            parts.Items.push_back(Integer(parts.Numbers[i]));
            parts.Items.back().Line = parts.NumberLines[i];
        }
        parts.Numbers = {};
        parts.NumberLines = {};
    }
    parts.Items.push_back(std::move(item));
}
const std::vector<TFormItem>& TFormValue::Elements() const {
    return m_parts ? m_parts->Elements : NoParts().Elements;
}
std::vector<TFormItem>& TFormValue::Elements() {
    return Parts().Elements;
}
const QByteArray& TFormValue::Data() const {
    return m_parts ? m_parts->Data : NoParts().Data;
}
QByteArray& TFormValue::Data() {
    return Parts().Data;
}

TFormValue TFormValue::Integer(qint64 v) {
    TFormValue value;
    value.Kind = TKind::Integer;
    value.Int = v;
    return value;
}

TFormValue TFormValue::String(const QString& s) {
    TFormValue value;
    value.Kind = TKind::String;
    value.Text = s;
    return value;
}

TFormValue TFormValue::Ident(const QString& s) {
    TFormValue value;
    value.Kind = TKind::Ident;
    value.Text = s;
    return value;
}

TFormValue TFormValue::Boolean(bool b) {
    return Ident(b ? QStringLiteral("True") : QStringLiteral("False"));
}

TFormValue TFormValue::SetOf(const QStringList& names) {
    TFormValue value;
    value.Kind = TKind::Set;
    value.Names() = names;
    return value;
}

TFormValue TFormValue::ListOf(std::vector<TFormValue> items) {
    TFormValue value;
    value.Kind = TKind::List;
    for (TFormValue& item : items)
        value.AppendItem(std::move(item));
    return value;
}

} // namespace quillary
