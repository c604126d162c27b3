#pragma once
// Stored and sent records are declared once, packed, and every placed field is
// checked at compile time against its byte offset.
#include <cstddef>

#define CORV_RECORD_SIZE(Type, bytes) static_assert(sizeof(Type) == (bytes), #Type " size")
#define CORV_FIELD_AT(Type, field, offset)                                                         \
    static_assert(offsetof(Type, field) == (offset), #Type "::" #field " offset")
