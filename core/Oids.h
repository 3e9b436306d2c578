// The driver's vocabulary: standard NDIS OIDs and the vendor's private OIDs.
#pragma once

#include <windows.h>
#include <ntddndis.h>

#ifndef IOCTL_NDIS_QUERY_GLOBAL_STATS
#define IOCTL_NDIS_QUERY_GLOBAL_STATS 0x00170002
#endif

// OR-ed into an OID it gives the set form (vendor 0x0D71xxxx -> 0x0DF1xxxx).
#define OID_VENDOR_SET_FLAG                 0x00800000

// Standard NDIS OIDs
#ifndef OID_GEN_DRIVER_VERSION
#define OID_GEN_DRIVER_VERSION              0x00010110
#endif
#ifndef OID_GEN_MEDIA_CONNECT_STATUS
#define OID_GEN_MEDIA_CONNECT_STATUS        0x00010114
#endif
#ifndef OID_GEN_RCV_OK
#define OID_GEN_RCV_OK                      0x00020102
#endif
#ifndef OID_GEN_RCV_NO_BUFFER
#define OID_GEN_RCV_NO_BUFFER               0x00020105
#endif
#ifndef OID_802_3_CURRENT_ADDRESS
#define OID_802_3_CURRENT_ADDRESS           0x01010102
#endif
#ifndef OID_802_11_BSSID
#define OID_802_11_BSSID                    0x0D010101
#endif
#ifndef OID_802_11_SSID
#define OID_802_11_SSID                     0x0D010102
#endif
#ifndef OID_802_11_INFRASTRUCTURE_MODE
#define OID_802_11_INFRASTRUCTURE_MODE      0x0D010108
#endif
#ifndef OID_802_11_DISASSOCIATE
#define OID_802_11_DISASSOCIATE             0x0D010115
#endif
#ifndef OID_802_11_AUTHENTICATION_MODE
#define OID_802_11_AUTHENTICATION_MODE      0x0D010118
#endif
#ifndef OID_802_11_BSSID_LIST_SCAN
#define OID_802_11_BSSID_LIST_SCAN          0x0D01011A
#endif
#ifndef OID_802_11_WEP_STATUS
#define OID_802_11_WEP_STATUS               0x0D01011B
#endif
#ifndef OID_802_11_RELOAD_DEFAULTS
#define OID_802_11_RELOAD_DEFAULTS          0x0D01011C
#endif
#ifndef OID_802_11_ADD_KEY
#define OID_802_11_ADD_KEY                  0x0D01011D
#endif
#ifndef OID_802_11_REMOVE_KEY
#define OID_802_11_REMOVE_KEY               0x0D01011E
#endif
#ifndef OID_802_11_NETWORK_TYPES_SUPPORTED
#define OID_802_11_NETWORK_TYPES_SUPPORTED  0x0D010203
#endif
#ifndef OID_802_11_RSSI
#define OID_802_11_RSSI                     0x0D010206
#endif
#ifndef OID_802_11_FRAGMENTATION_THRESHOLD
#define OID_802_11_FRAGMENTATION_THRESHOLD  0x0D010209
#endif
#ifndef OID_802_11_RTS_THRESHOLD
#define OID_802_11_RTS_THRESHOLD            0x0D01020A
#endif
#ifndef OID_802_11_DESIRED_RATES
#define OID_802_11_DESIRED_RATES            0x0D010210
#endif
#ifndef OID_802_11_CONFIGURATION
#define OID_802_11_CONFIGURATION            0x0D010211
#endif
#ifndef OID_802_11_POWER_MODE
#define OID_802_11_POWER_MODE               0x0D010216
#endif
#ifndef OID_802_11_BSSID_LIST
#define OID_802_11_BSSID_LIST               0x0D010217
#endif
#ifndef OID_802_11_STATISTICS
#define OID_802_11_STATISTICS               0x0D020212
#endif

// Vendor OIDs
#define OID_VENDOR_PREAMBLE                 0x0D710101
#define OID_VENDOR_LINK_STATUS              0x0D710102
#define OID_VENDOR_RESET_COUNTERS           0x0D710103
#define OID_VENDOR_AC_POWER_CAM             0x0D710104
#define OID_VENDOR_REGISTER_ACCESS          0x0D710105
#define OID_VENDOR_COUNTRY_REGION           0x0D710107
#define OID_VENDOR_RADIO_STATE              0x0D710108
#define OID_VENDOR_R17_TUNING               0x0D710109
#define OID_VENDOR_MAC_TABLE                0x0D71010B
#define OID_VENDOR_WIRELESS_MODE            0x0D71010C
#define OID_VENDOR_ADVANCED_CONFIG          0x0D710111
#define OID_VENDOR_TX_POWER                 0x0D710118
#define OID_VENDOR_EEPROM_VERSION           0x0D710119
#define OID_VENDOR_NOISE                    0x0D71011A
#define OID_VENDOR_RX_RATE                  0x0D71011B
#define OID_VENDOR_TX_RATE                  0x0D71011C
#define OID_VENDOR_EXTRA_INFO               0x0D71011D
#define OID_VENDOR_CCX_CONTROL              0x0D71011E
#define OID_VENDOR_IP_ADDRESS               0x0D71011F
#define OID_VENDOR_RF_TUNING                0x0D710120
#define OID_VENDOR_BBP_TUNING               0x0D710121
#define OID_VENDOR_RSSI_1                   0x0D710125
#define OID_VENDOR_OP_MODE                  0x0D710126
#define OID_VENDOR_RATE_SETS                0x0D710127
#define OID_VENDOR_FIRMWARE_VERSION         0x0D710129
#define OID_VENDOR_WMM_CAPABILITY           0x0D71012A
#define OID_VENDOR_WMM_OPTION               0x0D71012D
#define OID_VENDOR_DLS_CAPABILITY           0x0D710131
#define OID_VENDOR_DLS_LINK                 0x0D710132
#define OID_VENDOR_ICV_ERROR                0x0D710133
#define OID_VENDOR_RSSI_2                   0x0D710134
#define OID_VENDOR_SNR_0                    0x0D710135
#define OID_VENDOR_SNR_1                    0x0D710136
#define OID_VENDOR_BA_CAPABILITY            0x0D710137
#define OID_VENDOR_BA_TABLE                 0x0D710138
#define OID_VENDOR_LEAP                     0x0D710139
#define OID_VENDOR_BA_DELETE                0x0D71013A
#define OID_VENDOR_HT_PHY                   0x0D71013B
#define OID_VENDOR_WSC_START                0x0D710140
#define OID_VENDOR_WSC_STATUS               0x0D710141
#define OID_VENDOR_WSC_CREDENTIALS          0x0D710142
#define OID_VENDOR_WSC_IN_USE               0x0D710143
#define OID_VENDOR_WSC_OPTION_A             0x0D710144
#define OID_VENDOR_WSC_BUTTON               0x0D710145
#define OID_VENDOR_WSC_OPTION_B             0x0D710146
