// An ordered map that costs one pointer until it gets its first entry. A receipt tree has a
// node for every element, and most nodes have no variables, attributes or arrays, and leaves no
// children: four empty std::maps would make up half of every node.
#pragma once

#include <cstddef>
#include <map>
#include <memory_resource>

namespace KVTGDIPRINTING_LOGIC {

template <typename Key, typename Value>
class LazyMap {
public:
    // Its entries (and values that take an allocator, such as a tree's lists of children) come
    // from the memory it was first given: a parsed tree's from storage the tree releases at once.
    using Map = std::pmr::map<Key, Value>;
    using iterator = typename Map::iterator;
    using const_iterator = typename Map::const_iterator;
    using value_type = typename Map::value_type;
    using mapped_type = Value;

    LazyMap() = default;
    LazyMap(const LazyMap&) = delete;
    LazyMap& operator=(const LazyMap&) = delete;
    ~LazyMap() { clear(); }

    bool empty() const { return !map_ || map_->empty(); }
    std::size_t size() const { return map_ ? map_->size() : 0; }
    iterator begin() { return view().begin(); }
    iterator end() { return view().end(); }
    const_iterator begin() const { return view().begin(); }
    const_iterator end() const { return view().end(); }
    iterator find(const Key& key) { return view().find(key); }
    const_iterator find(const Key& key) const { return view().find(key); }
    std::size_t count(const Key& key) const { return view().count(key); }

    Value& operator[](const Key& key) { return entry(key, std::pmr::get_default_resource()); }
    // The value under `key`, inserted when missing; a map made now takes its memory from `memory`,
    // which must outlive it.
    Value& entry(const Key& key, std::pmr::memory_resource* memory) {
        if (!map_) {
            std::pmr::polymorphic_allocator<Map> allocator(memory);
            map_ = allocator.allocate(1);
            allocator.construct(map_);
        }
        return (*map_)[key];
    }
    void clear() {
        if (!map_) return;
        std::pmr::polymorphic_allocator<Map> allocator = map_->get_allocator();
        map_->~Map();
        allocator.deallocate(map_, 1);
        map_ = nullptr;
    }

private:
    // Without a map of its own, every LazyMap reads one shared empty map. Nothing is ever
    // inserted into that one (only entry() inserts, and it makes the own map first), so threads
    // reading it share no writes.
    Map& view() const {
        static Map none;
        return map_ ? *map_ : none;
    }

    Map* map_ = nullptr;
};

}  // namespace KVTGDIPRINTING_LOGIC
