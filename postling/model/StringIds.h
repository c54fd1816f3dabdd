// String table entries the data model uses.
#pragma once

enum : unsigned {
    IDS_ACCOUNT_KEY = 10000,     // "Accounts\Account %03d"; the key itself is built in
    IDS_PERIOD_DAILY = 10011,
    IDS_PERIOD_WEEKLY = 10012,
    IDS_PERIOD_MONTHLY = 10013,
    IDS_WEEKDAY_NAMES = 10014,   // comma-separated, Monday first
    IDS_NO_PERIODS = 10015,
};
