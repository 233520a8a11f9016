#pragma once

// What the device query found out.
enum QueryResult : int {
    kQueryConnectFailed = 1,       // opening the connection failed; an error text comes along
    kQueryCommunicationFailed = 2, // a request failed; an error text comes along
    kQueryLoaderRunning = 3,       // connected, the module runs its update loader
    kQueryApplicationRunning = 4,  // connected, the application runs, the device was identified
};
