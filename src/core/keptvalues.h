#pragma once
// Values worked out once per key and kept, up to a number of them: when the
// store is full it starts again (the values of the next paint come back at
// once). For the texts, layouts and images that views work out on every
// paint. Not thread-safe.
#include <QHash>

namespace nox
{

template <class Key, class Value> class KeptValues
{
public:
    explicit KeptValues(qsizetype most) : m_most(most) {}

    // The value of `key`, made by `make()` when it is not kept.
    template <class Make> Value& get(const Key& key, Make&& make)
    {
        auto it = m_values.find(key);
        if (it == m_values.end()) {
            if (m_values.size() >= m_most) {
                m_values.clear();
            }
            it = m_values.insert(key, make());
        }
        return it.value();
    }

private:
    QHash<Key, Value> m_values;
    qsizetype m_most;
};

} // namespace nox
