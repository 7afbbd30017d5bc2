#pragma once
#include <cstdint>
#include <cstring>
#include <map>
#include <new>
#include <string>
#include <vector>

// The host's property document: a tagged value of 12 bytes without padding, a 32-bit kind
// followed by a 64-bit payload. Kind 1 owns an object (wide-string keys), kind 2 an array,
// kind 3 a wide string; any other kind keeps a scalar in the payload.
#pragma pack(push, 1)
class PropValue
{
public:
    enum Kind : uint32_t { Null = 0, Object = 1, Array = 2, String = 3, Integer = 4, Bool = 5 };
    typedef std::map<std::u16string, PropValue> ObjectMap;
    typedef std::vector<PropValue> ArrayList;

    PropValue() = default;
    explicit PropValue(const std::u16string& s) : m_kind(String) { m_payload = ptr(new std::u16string(s)); }
    static PropValue scalar(uint32_t kind, uint64_t value)
    {
        PropValue v;
        v.m_kind = kind;
        v.m_payload = value;
        return v;
    }
    PropValue(const PropValue& other) { copyFrom(other); }
    PropValue& operator=(const PropValue& other)
    {
        if (this != &other) {
            PropValue copy(other); // deep copy first: a failure leaves this value intact
            clear();
            std::memcpy(static_cast<void*>(this), &copy, sizeof(PropValue));
            copy.m_kind = Null;
            copy.m_payload = 0;
        }
        return *this;
    }
    ~PropValue() { clear(); }

    uint32_t kind() const { return m_kind; }
    uint64_t scalarValue() const { return isOwning() ? 0 : m_payload; }
    bool isNull() const { return m_kind == Null; }

    const std::u16string* string() const { return m_kind == String ? static_cast<const std::u16string*>(raw()) : nullptr; }
    const ObjectMap* object() const { return m_kind == Object ? static_cast<const ObjectMap*>(raw()) : nullptr; }
    const ArrayList* array() const { return m_kind == Array ? static_cast<const ArrayList*>(raw()) : nullptr; }
    ArrayList* array() { return m_kind == Array ? static_cast<ArrayList*>(raw()) : nullptr; }

    // Member of an object; a null value first becomes an empty object. Null for other kinds.
    PropValue* member(const std::u16string& key)
    {
        if (m_kind == Null) {
            m_payload = ptr(new ObjectMap);
            m_kind = Object;
        }
        if (m_kind != Object)
            return nullptr;
        return &(*static_cast<ObjectMap*>(raw()))[key];
    }
    const PropValue* find(const std::u16string& key) const
    {
        const ObjectMap* o = object();
        if (!o)
            return nullptr;
        auto it = o->find(key);
        return it == o->end() ? nullptr : &it->second;
    }
    // Writes a wide-string member; false when this value is neither null nor an object.
    bool setMember(const std::u16string& key, const std::u16string& text)
    {
        PropValue* m = member(key);
        if (!m)
            return false;
        *m = PropValue(text);
        return true;
    }
    // Turns the value into an array (from null) and appends; false for other kinds.
    bool append(const PropValue& v)
    {
        if (m_kind == Null) {
            m_payload = ptr(new ArrayList);
            m_kind = Array;
        }
        if (m_kind != Array)
            return false;
        static_cast<ArrayList*>(raw())->push_back(v);
        return true;
    }

private:
    static uint64_t ptr(void* p) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)); }
    void* raw() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(m_payload)); }
    bool isOwning() const { return m_kind == Object || m_kind == Array || m_kind == String; }

    void copyFrom(const PropValue& o)
    {
        switch (o.m_kind) {
        case Object: m_payload = ptr(new ObjectMap(*static_cast<const ObjectMap*>(o.raw()))); break;
        case Array: m_payload = ptr(new ArrayList(*static_cast<const ArrayList*>(o.raw()))); break;
        case String: m_payload = ptr(new std::u16string(*static_cast<const std::u16string*>(o.raw()))); break;
        default: m_payload = o.m_payload; break;
        }
        m_kind = o.m_kind;
    }
    void clear()
    {
        switch (m_kind) {
        case Object: delete static_cast<ObjectMap*>(raw()); break;
        case Array: delete static_cast<ArrayList*>(raw()); break;
        case String: delete static_cast<std::u16string*>(raw()); break;
        default: break;
        }
        m_kind = Null;
        m_payload = 0;
    }

    uint32_t m_kind = Null;
    uint64_t m_payload = 0;
};
#pragma pack(pop)
static_assert(sizeof(PropValue) == 12, "PropValue is 12 bytes, packed");
