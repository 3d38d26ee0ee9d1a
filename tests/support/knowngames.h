#pragma once

// Games whose outcome the tests know, as the solver plays them: one character an action,
// 1-4 a click on that column, d a deal, y yes to the ace question.

// Deal 2 won with 556 points; its first ace question is asked by the click before the first y.
inline constexpr char deal2Won[] =
    "dd2133dd1414d334222221dd1133ddd1412d4333222222324442444d11y2432y121133";

// Deal 4 won with 526 points, the best it allows.
inline constexpr char deal4Won[] =
    "d4411332d224d3dd2442dd22223d4dd234444442d22214d133334334y11111111133422";
