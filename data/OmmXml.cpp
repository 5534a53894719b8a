// OMM as XML: every "omm" element is a record; the text of each element inside it (metadata,
// mean elements, TLE parameters alike) is the field of that element's name.
#include "data/ElementSetReaders.h"

#include <pugixml.hpp>

#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace earth {
namespace {

// The element's name without a namespace prefix.
const char* localName(const pugi::xml_node& node) {
    const char* name = node.name();
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

void collectFields(const pugi::xml_node& node, OmmFields& fields) {
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() != pugi::node_element) continue;
        const bool hasElements = static_cast<bool>(child.find_child(
            [](const pugi::xml_node& n) { return n.type() == pugi::node_element; }));
        if (hasElements) {
            collectFields(child, fields);
        } else {
            if (isOmmFieldRead(localName(child))) fields[localName(child)] = child.text().get();
        }
    }
}

}  // namespace

ElementSetText readOmmXml(std::string_view text) {
    ElementSetText out;
    const LineIndex lines(text);
    pugi::xml_document document;
    const pugi::xml_parse_result parsed =
        document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_auto);
    if (!parsed) {
        out.skip(lines.lineOf(static_cast<std::size_t>(parsed.offset)),
                 std::string("not valid XML (") + parsed.description() + ")");
    }
    // A document that breaks off keeps what was read before the fault.
    std::vector<pugi::xml_node> records;
    for (pugi::xml_node node = document.first_child(); node;) {
        if (node.type() == pugi::node_element && std::strcmp(localName(node), "omm") == 0) {
            records.push_back(node);
        } else if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling()) node = node.parent();
        if (node) node = node.next_sibling();
    }
    for (const pugi::xml_node& record : records) {
        OmmFields fields;
        collectFields(record, fields);
        try {
            out.sets.push_back(elementSetFromOmm(fields));
        } catch (const std::exception& e) {
            const std::ptrdiff_t offset = record.offset_debug();
            out.skip(lines.lineOf(offset < 0 ? 0 : static_cast<std::size_t>(offset)), e.what());
        }
    }
    return out;
}

}  // namespace earth
