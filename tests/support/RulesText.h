// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/SeriesRules.h"

#include <gtest/gtest.h>

// The rules a rules file's text sets; a refused text fails the test.
inline CSeriesRules Rules(std::string_view text)
{
    CSeriesRules rules;
    CRulesRefusal refusal;
    EXPECT_TRUE(ParseSeriesRules(text, rules, refusal)) << text << ": " << refusal.m_message;
    return rules;
}
