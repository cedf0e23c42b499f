// The output wrapper through which values are written as XML text; the operators for strings
// are the writer's, those for booleans and numbers are with the conversions.
#ifndef LMX_VALUES_AS_XML_H
#define LMX_VALUES_AS_XML_H

namespace lmx {

// Output wrapper: `os << c_as_xml<T>(value)` writes value as XML text. Holds a reference to the
// value, so it is meant to be used as a temporary within one output expression. Operators exist
// for std::wstring and std::string (lmx/writing/writer.h) and for bool, float and double
// (lmx/values/conversions.h).
template <typename T>
class c_as_xml {
public:
    explicit c_as_xml(const T& value) : m_value(value) {}
    const T& get() const { return m_value; }

private:
    const T& m_value;
};

}  // namespace lmx

#endif  // LMX_VALUES_AS_XML_H
