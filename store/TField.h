#pragma once

#include <string>

class TDataSet;

// One field of a data set's current record.
class TField {
public:
    TField(TDataSet& owner, int index, std::string name)
        : m_owner(owner), m_index(index), m_name(std::move(name)) {}
    virtual ~TField() = default;
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    const std::string& Name() const { return m_name; }
    // The value in the current record (or in the edit buffer while editing).
    std::string propAsString() const;
    // The same without a copy, valid until the record changes.
    const std::string& Ref() const;
    // Writes the value into the edit buffer; throws EBdtError when the data set is not being
    // edited or a text field is given more characters than its declared size.
    void propAsString(std::string value);

protected:
    TDataSet& m_owner;
    int m_index;
    std::string m_name;
};

// A memo field.
class TBlobField : public TField {
public:
    using TField::TField;
};

// nullptr when the field is no memo.
inline TBlobField* AsBlob(TField* field) {
    return dynamic_cast<TBlobField*>(field);
}
