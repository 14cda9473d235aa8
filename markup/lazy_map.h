// An ordered map that costs one pointer until it gets its first entry. A receipt tree has a
// node for every element, and most nodes have no variables, attributes or arrays, and leaves no
// children: four empty std::maps would make up half of every node.
#pragma once

#include <cstddef>
#include <map>
#include <memory>

namespace KVTGDIPRINTING_LOGIC {

template <typename Key, typename Value>
class LazyMap {
public:
    using Map = std::map<Key, Value>;
    using iterator = typename Map::iterator;
    using const_iterator = typename Map::const_iterator;
    using value_type = typename Map::value_type;
    using mapped_type = Value;

    bool empty() const { return !map_ || map_->empty(); }
    std::size_t size() const { return map_ ? map_->size() : 0; }
    iterator begin() { return view().begin(); }
    iterator end() { return view().end(); }
    const_iterator begin() const { return view().begin(); }
    const_iterator end() const { return view().end(); }
    iterator find(const Key& key) { return view().find(key); }
    const_iterator find(const Key& key) const { return view().find(key); }
    std::size_t count(const Key& key) const { return view().count(key); }

    Value& operator[](const Key& key) {
        if (!map_) map_ = std::make_unique<Map>();
        return (*map_)[key];
    }
    void clear() { map_.reset(); }

private:
    // Without a map of its own, every LazyMap reads one shared empty map. Nothing is ever
    // inserted into that one (only operator[] inserts, and it makes the own map first), so
    // threads reading it share no writes.
    Map& view() const {
        static Map none;
        return map_ ? *map_ : none;
    }

    std::unique_ptr<Map> map_;
};

}  // namespace KVTGDIPRINTING_LOGIC
