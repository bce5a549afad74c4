// The engine's fixed texts, exactly as the user sees them (odd spellings and
// the Latin letters inside some Cyrillic words are part of them).
#pragma once

#include <string_view>

namespace FormulaText {

// Prefixes of compile and evaluation errors; a detail follows after a lone carriage return.
inline constexpr std::u16string_view kCompilePrefix = u"Ошибка в записи математической формулы:";
inline constexpr std::u16string_view kEvalPrefix = u"Ошибка в вычислении формулы:";
// Compile errors.
inline constexpr std::u16string_view kMsgHash = u"Недопустимый символ <#>";
inline constexpr std::u16string_view kMsgDollar = u"Недопустимый символ <$>";
inline constexpr std::u16string_view kMsgBrackets = u"Несоответствие скобок";
inline constexpr std::u16string_view kMsgListFuncNoList = u"Функция с множетвом есть, а перечисления нет!";
inline constexpr std::u16string_view kMsgListOutsideListFunc = u"Перечисление используется не в функции co множествами!";
inline constexpr std::u16string_view kMsgBadName = u"Неправильная запись функции или переменной!";
inline constexpr std::u16string_view kMsgBadNumber = u"Неправильная запись числа";
inline constexpr std::u16string_view kMsgUnknownChar = u"Неизвестный символ";
inline constexpr std::u16string_view kMsgListBadNumber = u"В перечислении неправильная запись числа!";
// The '/' operator with a zero divisor (after the evaluation prefix).
inline constexpr std::u16string_view kMsgDivisionByZero = u" Деление на ноль";
// Domain errors of the functions (shown without prefix).
inline constexpr std::u16string_view kMsgTan90 = u"Тангенс 90 градусов не существует";
inline constexpr std::u16string_view kMsgCtan0 = u"Котангенс 0 градусов не существует";
inline constexpr std::u16string_view kMsgCtanh90 = u"Гиперболический котангенс 90 градусов не существует";
inline constexpr std::u16string_view kMsgArccos = u"Арккосинус от агрумента ";
inline constexpr std::u16string_view kMsgArcsin = u"Арксинус от агрумента ";
inline constexpr std::u16string_view kMsgArcctan90 = u"Арккотангенс 90 градусов не существует";
inline constexpr std::u16string_view kMsgArccosh = u"Arccosh от агрумента ";
inline constexpr std::u16string_view kMsgArctanh = u"Аrctanh от агрумента ";
inline constexpr std::u16string_view kMsgArcctanh90 = u"Гиперболический арккотангенс 90 градусов не существует";
inline constexpr std::u16string_view kMsgNotExist = u" не существует";
inline constexpr std::u16string_view kMsgSqrt = u"Квадратный корень отрицательного числа не существует";
inline constexpr std::u16string_view kMsgLn = u"Натуральный логарифм отрицательного числа не существует";
inline constexpr std::u16string_view kMsgLg = u"Десятичный логарифм нуля не существует";
inline constexpr std::u16string_view kMsgLog = u"Логарифм нуля не существует";
inline constexpr std::u16string_view kMsgDivMod = u"Деление на ноль не допустим!";

}  // namespace FormulaText
