#pragma once

// The ADO data type codes a field reports as its type. Only the codes the program produces or
// tests by name are listed; the full code-to-name table lives with the column type mapping.
namespace db::AdoType {

inline constexpr int SmallInt = 2;
inline constexpr int Integer = 3;
inline constexpr int Single = 4;
inline constexpr int Double = 5;
inline constexpr int Currency = 6;
inline constexpr int Date = 7;
inline constexpr int Boolean = 11;
inline constexpr int Decimal = 14;
inline constexpr int BigInt = 20;
inline constexpr int Binary = 128;
inline constexpr int Char = 129;
inline constexpr int WChar = 130;
inline constexpr int Numeric = 131;
inline constexpr int DBDate = 133;
inline constexpr int DBTime = 134;
inline constexpr int DBTimeStamp = 135;
inline constexpr int VarChar = 200;
inline constexpr int LongVarChar = 201;
inline constexpr int VarWChar = 202;
inline constexpr int LongVarWChar = 203;
inline constexpr int VarBinary = 204;
inline constexpr int LongVarBinary = 205;

} // namespace db::AdoType
