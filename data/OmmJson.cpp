// OMM as JSON: an array of objects (or one object), each a record whose members are the OMM
// fields, numbers written as numbers or as strings. Read as a stream of events, so that a
// large file is never held as a tree and every record knows its line.
#include "data/ElementSetReaders.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <exception>
#include <iterator>
#include <string>

namespace earth {
namespace {

// A pointer into the text that remembers how far the parser has read, so that an event can
// be placed on its line.
struct TrackingIterator {
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    const char* at = nullptr;
    const char** furthest = nullptr;

    reference operator*() const { return *at; }
    TrackingIterator& operator++() {
        ++at;
        if (at > *furthest) *furthest = at;
        return *this;
    }
    TrackingIterator operator++(int) {
        TrackingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const TrackingIterator& other) const { return at == other.at; }
    bool operator!=(const TrackingIterator& other) const { return at != other.at; }
};

class OmmEvents final : public nlohmann::json_sax<nlohmann::json> {
public:
    OmmEvents(const char* begin, const LineIndex& lines, ElementSetText& out)
        : begin_(begin), furthest_(begin), lines_(lines), out_(out) {}

    const char** furthest() { return &furthest_; }

    bool null() override { return value(""); }
    bool boolean(bool v) override { return value(v ? "true" : "false"); }
    bool number_integer(number_integer_t v) override { return value(std::to_string(v)); }
    bool number_unsigned(number_unsigned_t v) override { return value(std::to_string(v)); }
    bool number_float(number_float_t, const string_t& text) override { return value(text); }
    bool string(string_t& v) override { return value(v); }
    bool binary(binary_t&) override { return value(""); }

    bool start_object(std::size_t) override {
        ++depth_;
        if (recordDepth_ == 0) recordDepth_ = depth_;  // a lone object is the one record
        if (depth_ == recordDepth_) {
            inRecord_ = true;
            fields_.clear();
            recordLine_ = here();
        }
        return true;
    }
    bool key(string_t& name) override {
        if (inRecord_ && depth_ == recordDepth_) key_ = name;
        return true;
    }
    bool end_object() override {
        if (inRecord_ && depth_ == recordDepth_) {
            inRecord_ = false;
            try {
                out_.sets.push_back(elementSetFromOmm(fields_));
            } catch (const std::exception& e) {
                out_.skip(recordLine_, e.what());
            }
        }
        --depth_;
        return true;
    }
    bool start_array(std::size_t) override {
        ++depth_;
        if (depth_ == 1) recordDepth_ = 2;  // the usual form: an array of records
        if (depth_ == recordDepth_ && !inRecord_) notARecord();
        return true;
    }
    bool end_array() override {
        --depth_;
        return true;
    }
    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& error) override {
        out_.skip(lines_.lineOf(position == 0 ? 0 : position - 1),
                  std::string("not valid JSON (") + error.what() + ")");
        return false;
    }

private:
    bool value(const std::string& text) {
        if (inRecord_ && depth_ == recordDepth_) {
            if (isOmmFieldRead(key_)) fields_[key_] = text;
        } else if (depth_ + 1 == recordDepth_) {
            notARecord();
        }
        return true;
    }
    void notARecord() { out_.skip(here(), "an array item that is not an object"); }
    // The line of the character just read.
    std::size_t here() const {
        const auto read = static_cast<std::size_t>(furthest_ - begin_);
        return lines_.lineOf(read == 0 ? 0 : read - 1);
    }

    const char* begin_;
    const char* furthest_;
    const LineIndex& lines_;
    ElementSetText& out_;
    int depth_ = 0;
    int recordDepth_ = 0;
    bool inRecord_ = false;
    std::string key_;
    OmmFields fields_;
    std::size_t recordLine_ = 0;
};

}  // namespace

ElementSetText readOmmJson(std::string_view text) {
    ElementSetText out;
    const LineIndex lines(text);
    OmmEvents events(text.data(), lines, out);
    const TrackingIterator first{text.data(), events.furthest()};
    const TrackingIterator last{text.data() + text.size(), events.furthest()};
    nlohmann::json::sax_parse(first, last, &events);
    return out;
}

}  // namespace earth
