// A data function's columns in one statement, the types in the order each row gives its values:
//     columns<QByteArray, bool, int>("answer", "linkOk", "leftWaiting");
#pragma once

#include <QTest>

namespace quillmark::test {

template <typename... Types, typename... Names>
void columns(const Names&... names) {
    static_assert(sizeof...(Types) == sizeof...(Names), "one name for each column type");
    (QTest::addColumn<Types>(names), ...);
}

}  // namespace quillmark::test
