/*
 * Layout.cpp - lookup of the host's field and slot tables by enum.
 */
#include "host/records/Layout.h"

namespace host {

namespace {

const FieldInfo kStateFields[] = {
#define X(name, offset, type, size, access) {#name, offset, FieldType::type, size, Access::access},
    NEROLIT_HOST_STATE_FIELDS(X)
#undef X
};

const FieldInfo kTableFields[] = {
#define X(name, offset, type, size, access) {#name, offset, FieldType::type, size, Access::access},
    NEROLIT_HOST_TABLE_FIELDS(X)
#undef X
};

const ServiceInfo kServices[] = {
#define X(name, offset) {#name, offset},
    NEROLIT_HOST_SERVICES(X)
#undef X
};

static_assert(sizeof kStateFields / sizeof kStateFields[0] == static_cast<int>(StateField::Count));
static_assert(sizeof kTableFields / sizeof kTableFields[0] == static_cast<int>(TableField::Count));
static_assert(sizeof kServices / sizeof kServices[0] == static_cast<int>(Svc::Count));

} // namespace

const FieldInfo &fieldInfo(StateField f) { return kStateFields[static_cast<int>(f)]; }
const FieldInfo &fieldInfo(TableField f) { return kTableFields[static_cast<int>(f)]; }
const ServiceInfo &serviceInfo(Svc s) { return kServices[static_cast<int>(s)]; }

} // namespace host
