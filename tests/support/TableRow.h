// The rows of the tables of cases that tests run with TEST_P: each row carries the name of the
// case it stands for, which gtest shows as the test's name and prints for a failing row.
#pragma once

#include <gtest/gtest.h>

#include <concepts>
#include <ostream>
#include <string>

namespace corvasin::test
{

struct Row
{
    const char* pszName;
};

template <typename T>
    requires std::derived_from<T, Row>
void PrintTo(const T& row, std::ostream* os)
{
    *os << row.pszName;
}

// The name generator of INSTANTIATE_TEST_SUITE_P.
struct RowName
{
    template <typename T>
    std::string operator()(const testing::TestParamInfo<T>& info) const
    {
        return info.param.pszName;
    }
};

} // namespace corvasin::test
