#include "store/TField.h"

#include "store/TDataSet.h"

std::string TField::propAsString() const {
    return m_owner.FieldValue(m_index);
}

void TField::propAsString(std::string value) {
    m_owner.SetFieldValue(m_index, std::move(value));
}

const std::string& TField::Ref() const {
    return m_owner.FieldValueRef(m_index);
}
