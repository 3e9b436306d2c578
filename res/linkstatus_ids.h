// Ids of the link status panel (dialog 170), the statistics page (dialog 146)
// with its transmit and receive tabs (dialogs 255, 256) and the About page
// (dialog 136); their texts are in res/linkstatus.rc.
#pragma once

// ---- Link status panel -------------------------------------------------------
#define IDC_LINK_STATUS_LABEL       24101
#define IDC_LINK_STATUS             24102
#define IDC_LINK_EXTRA_LABEL        24103
#define IDC_LINK_EXTRA              24104
#define IDC_LINK_CHANNEL_LABEL      24105
#define IDC_LINK_CHANNEL            24106
#define IDC_LINK_AUTH_LABEL         24107
#define IDC_LINK_AUTH               24108
#define IDC_LINK_ENCRYPTION_LABEL   24109
#define IDC_LINK_ENCRYPTION         24110
#define IDC_LINK_NETTYPE_LABEL      24111
#define IDC_LINK_NETTYPE            24112
#define IDC_LINK_IP_LABEL           24113
#define IDC_LINK_IP                 24114
#define IDC_LINK_MASK_LABEL         24115
#define IDC_LINK_MASK               24116
#define IDC_LINK_GATEWAY_LABEL      24117
#define IDC_LINK_GATEWAY            24118
#define IDC_LINK_TX_FRAME           24119
#define IDC_LINK_TX_RATE_LABEL      24120
#define IDC_LINK_TX_RATE            24121
#define IDC_LINK_TX_TPUT_LABEL      24122
#define IDC_LINK_TX_TPUT            24123
#define IDC_LINK_RX_FRAME           24124
#define IDC_LINK_RX_RATE_LABEL      24125
#define IDC_LINK_RX_RATE            24126
#define IDC_LINK_RX_TPUT_LABEL      24127
#define IDC_LINK_RX_TPUT            24128
#define IDC_LINK_TX_GRAPH           24129
#define IDC_LINK_RX_GRAPH           24130
#define IDC_LINK_QUALITY_BAR        24131
#define IDC_LINK_SIGNAL1_BAR        24132
#define IDC_LINK_SIGNAL2_BAR        24133
#define IDC_LINK_SIGNAL3_BAR        24134
#define IDC_LINK_NOISE_BAR          24135
#define IDC_LINK_HT_FRAME           24136
#define IDC_LINK_BW_LABEL           24137
#define IDC_LINK_BW                 24138
#define IDC_LINK_GI_LABEL           24139
#define IDC_LINK_GI                 24140
#define IDC_LINK_STBC_LABEL         24141
#define IDC_LINK_STBC               24142
#define IDC_LINK_MCS_LABEL          24143
#define IDC_LINK_MCS                24144
#define IDC_LINK_SNR0_LABEL         24145
#define IDC_LINK_SNR0               24146
#define IDC_LINK_SNR1_LABEL         24147
#define IDC_LINK_SNR1               24148

#define IDS_LINK_STATUS             24001
#define IDS_LINK_EXTRA              24002
#define IDS_LINK_CHANNEL            24003
#define IDS_LINK_AUTH               24004
#define IDS_LINK_ENCRYPTION         24005
#define IDS_LINK_NETTYPE            24006
#define IDS_LINK_IP                 24007
#define IDS_LINK_MASK               24008
#define IDS_LINK_GATEWAY            24009
#define IDS_LINK_TRANSMIT           24010
#define IDS_LINK_RECEIVE            24011
#define IDS_LINK_SPEED              24012
#define IDS_LINK_THROUGHPUT         24013
#define IDS_LINK_NOT_READY          24014
#define IDS_LINK_RF_OFF             24015
#define IDS_LINK_DISCONNECTED       24016
#define IDS_LINK_ICV_ERROR          24017
#define IDS_LINK_CENTRAL_CHANNEL    24018
#define IDS_LINK_STATE_FIRST        24020   // 11 texts, 24020..24030, by OID_VENDOR_EXTRA_INFO code

// ---- Statistics page ---------------------------------------------------------------
#define IDD_TX_STATISTICS           255
#define IDD_RX_STATISTICS           256
#define IDC_STAT_TX_TAB             1242
#define IDC_STAT_RX_TAB             1243
#define IDC_STAT_RESET              1315
// Rows of the sub-pages: label, "=" and value of row i at FIRST + 3 i, + 1, + 2.
#define IDC_STAT_ROW_FIRST          24201
#define IDS_STAT_TRANSMIT           24301
#define IDS_STAT_RECEIVE            24302
#define IDS_STAT_RESET              24303
#define IDS_STAT_TX_OK              24310
#define IDS_STAT_TX_OK_NO_RETRY     24311
#define IDS_STAT_TX_RETRY           24312
#define IDS_STAT_TX_FAIL_ACK        24313
#define IDS_STAT_RTS_OK             24314
#define IDS_STAT_RTS_FAIL           24315
#define IDS_STAT_RX_OK              24320
#define IDS_STAT_RX_CRC             24321
#define IDS_STAT_RX_DROPPED         24322
#define IDS_STAT_RX_DUPLICATE       24323

// ---- About page -----------------------------------------------------------------------
#define IDC_ABOUT_WEB_LINK          3063
#define IDC_ABOUT_COPYRIGHT         24401
#define IDC_ABOUT_CONFIG_LABEL      24402
#define IDC_ABOUT_CONFIG_VERSION    24403
#define IDC_ABOUT_CONFIG_DATE_LABEL 24404
#define IDC_ABOUT_CONFIG_DATE       24405
#define IDC_ABOUT_DRIVER_LABEL      24406
#define IDC_ABOUT_DRIVER_VERSION    24407
#define IDC_ABOUT_DRIVER_DATE_LABEL 24408
#define IDC_ABOUT_DRIVER_DATE       24409
#define IDC_ABOUT_EEPROM_LABEL      24410
#define IDC_ABOUT_EEPROM            24411
#define IDC_ABOUT_FIRMWARE_LABEL    24412
#define IDC_ABOUT_FIRMWARE          24413
#define IDC_ABOUT_MAC_LABEL         24414
#define IDC_ABOUT_MAC               24415
#define IDS_ABOUT_CONFIG_VERSION    24501
#define IDS_ABOUT_DATE              24502
#define IDS_ABOUT_DRIVER_VERSION    24503
#define IDS_ABOUT_EEPROM_VERSION    24504
#define IDS_ABOUT_FIRMWARE_VERSION  24505
#define IDS_ABOUT_PHY_ADDRESS       24506
