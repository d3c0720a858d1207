namespace fmt { inline namespace v9 { void print() {} } }
namespace a::b::c { void deep() {} }
namespace x::inline y { void mixed() {} }
inline namespace { int hidden; }
namespace alias = a::b;
